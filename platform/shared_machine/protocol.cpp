#include "platform/shared_machine/protocol.h"

#include <algorithm>

#include "platform/shared_machine/byte_codec.h"

namespace zo::platform::service {

namespace {

constexpr std::uint32_t kMethodMask = 3;
constexpr std::uint32_t kMethodBuffered = 0;
constexpr std::uint32_t kOpenFrom32Bit = 1;
constexpr std::uint32_t kWireLevelsMask = (1u << hub::kWaveformWireCount) - 1;
constexpr std::uint32_t kTextField = 2 + kMaxTextBytes;
constexpr std::uint32_t kPathField = 2 + kMaxPathBytes;

// ---- layouts, one pair of functions per message: put writes it, take reads it -----------------

void put(ByteWriter& out, const HelloRequest& message) {
    out.bytes(kHelloMagic);
    out.u16(message.version);
    out.u16(0);
}
void take(ByteReader& in, HelloRequest& message) {
    const auto magic = in.bytes(kHelloMagic.size());
    in.require(std::equal(magic.begin(), magic.end(), kHelloMagic.begin(), kHelloMagic.end()));
    message.version = in.u16();
    in.require(in.u16() == 0);
}

void put(ByteWriter& out, const OpenRequest& message) {
    out.u32(message.from32BitProcess ? kOpenFrom32Bit : 0);
    out.text(message.path);
}
void take(ByteReader& in, OpenRequest& message) {
    const std::uint32_t flags = in.u32();
    in.require((flags & ~kOpenFrom32Bit) == 0);
    message.from32BitProcess = (flags & kOpenFrom32Bit) != 0;
    message.path = in.text(kMaxPathBytes);
    in.require(!message.path.empty());
}

void put(ByteWriter& out, const IoControlRequest& message) {
    out.u32(message.code);
    out.u32(static_cast<std::uint32_t>(message.input.size()));
    out.u32(message.outputLength);
    out.bytes(message.input);
    out.bytes(message.output);
}
void take(ByteReader& in, IoControlRequest& message) {
    message.code = in.u32();
    const std::uint32_t inputLength = in.u32();
    message.outputLength = in.u32();
    in.require(inputLength <= kMaxTransferBytes && message.outputLength <= kMaxTransferBytes);
    const auto input = in.bytes(inputLength);
    message.input.assign(input.begin(), input.end());
    if (carriesOutputBuffer(message.code)) {
        const auto output = in.bytes(message.outputLength);
        message.output.assign(output.begin(), output.end());
    }
}

void put(ByteWriter&, const CloseRequest&) {}
void take(ByteReader&, CloseRequest&) {}
void put(ByteWriter&, const StatusRequest&) {}
void take(ByteReader&, StatusRequest&) {}
void put(ByteWriter&, const RecordStopRequest&) {}
void take(ByteReader&, RecordStopRequest&) {}
void put(ByteWriter&, const StopRequest&) {}
void take(ByteReader&, StopRequest&) {}

void put(ByteWriter& out, const PlugRequest& message) {
    out.text(message.entry);
}
void take(ByteReader& in, PlugRequest& message) {
    message.entry = in.text(kMaxTextBytes);
}

void put(ByteWriter& out, const UnplugRequest& message) {
    out.u32(message.port);
}
void take(ByteReader& in, UnplugRequest& message) {
    message.port = in.u32();
}

void put(ByteWriter& out, const RecordStartRequest& message) {
    out.text(message.path);
    out.u32(message.maxTransitions);
}
void take(ByteReader& in, RecordStartRequest& message) {
    message.path = in.text(kMaxPathBytes);
    in.require(!message.path.empty());
    message.maxTransitions = in.u32();
}

void put(ByteWriter& out, const CaptureRequest& message) {
    out.text(message.path);
}
void take(ByteReader& in, CaptureRequest& message) {
    message.path = in.text(kMaxTextBytes);
}

void put(ByteWriter& out, const HelloReply& message) {
    out.u16(message.version);
    out.u16(0);
    out.i32(message.status);
    out.u32(message.servicePid);
}
void take(ByteReader& in, HelloReply& message) {
    message.version = in.u16();
    in.require(in.u16() == 0);
    message.status = in.i32();
    message.servicePid = in.u32();
}

template <MessageType Answered>
void put(ByteWriter& out, const Completion<Answered>& message) {
    out.i32(message.status);
}
template <MessageType Answered>
void take(ByteReader& in, Completion<Answered>& message) {
    message.status = in.i32();
}

void put(ByteWriter& out, const IoControlReply& message) {
    out.i32(message.status);
    out.u32(message.information);
    out.u32(static_cast<std::uint32_t>(message.output.size()));
    out.bytes(message.output);
}
void take(ByteReader& in, IoControlReply& message) {
    message.status = in.i32();
    message.information = in.u32();
    const std::uint32_t length = in.u32();
    in.require(length <= kMaxTransferBytes);
    const auto output = in.bytes(length);
    message.output.assign(output.begin(), output.end());
}

void put(ByteWriter& out, const HubEntry& hub) {
    out.u32(hub.port);
    out.text(hub.device);
    out.u8(hub.simulated);
    out.u8(hub.highSpeed);
    out.u8(hub.hasInfoBlock);
    out.u8(hub.recording);
    out.u16(hub.productId);
    out.u16(hub.firmware);
    out.u32(hub.serial);
    out.f64(hub.inputAHz);
    out.f64(hub.inputBHz);
}
void take(ByteReader& in, HubEntry& hub) {
    hub.port = in.u32();
    hub.device = in.text(kMaxPathBytes);
    hub.simulated = in.flag();
    hub.highSpeed = in.flag();
    hub.hasInfoBlock = in.flag();
    hub.recording = in.flag();
    hub.productId = in.u16();
    hub.firmware = in.u16();
    hub.serial = in.u32();
    hub.inputAHz = in.f64();
    hub.inputBHz = in.f64();
}

void put(ByteWriter& out, const HandleEntry& handle) {
    out.u32(handle.connection);
    out.i32(handle.processId);
    out.u8(handle.from32BitProcess);
    out.text(handle.device);
}
void take(ByteReader& in, HandleEntry& handle) {
    handle.connection = in.u32();
    handle.processId = in.i32();
    handle.from32BitProcess = in.flag();
    handle.device = in.text(kMaxPathBytes);
}

// A count, then that many entries; at most `limit` of them.
template <typename Entry>
void putList(ByteWriter& out, const std::vector<Entry>& entries) {
    out.u32(static_cast<std::uint32_t>(entries.size()));
    for (const Entry& entry : entries) {
        put(out, entry);
    }
}
template <typename Entry>
void takeList(ByteReader& in, std::vector<Entry>& entries, std::size_t limit) {
    const std::uint32_t count = in.u32();
    in.require(count <= limit);
    entries.clear();
    for (std::uint32_t i = 0; i < count && !in.failed(); ++i) {
        take(in, entries.emplace_back());
    }
}

void put(ByteWriter& out, const StatusReply& message) {
    putList(out, message.hubs);
    putList(out, message.handles);
    out.text(message.capturePath);
}
void take(ByteReader& in, StatusReply& message) {
    takeList(in, message.hubs, kMaxHubs);
    takeList(in, message.handles, kMaxHandles);
    message.capturePath = in.text(kMaxTextBytes);
}

void put(ByteWriter& out, const PlugReply& message) {
    out.i32(message.added);
    out.i32(message.started);
    out.u32(message.port);
    out.text(message.error);
}
void take(ByteReader& in, PlugReply& message) {
    message.added = in.i32();
    message.started = in.i32();
    message.port = in.u32();
    message.error = in.text(kMaxTextBytes);
}

void put(ByteWriter& out, const RecordStopReply& message) {
    out.i32(message.status);
    out.u64(message.startNanoseconds);
    out.u64(message.endNanoseconds);
    out.u8(message.truncated);
    std::uint16_t levels = 0;
    for (std::size_t wire = 0; wire < message.initialLevels.size(); ++wire) {
        levels =
            static_cast<std::uint16_t>(levels | (message.initialLevels[wire] ? 1u << wire : 0));
    }
    out.u16(levels);
    out.u64(message.transitionCount);
}
void take(ByteReader& in, RecordStopReply& message) {
    message.status = in.i32();
    message.startNanoseconds = in.u64();
    message.endNanoseconds = in.u64();
    message.truncated = in.flag();
    const std::uint16_t levels = in.u16();
    in.require((levels & ~kWireLevelsMask) == 0);
    for (std::size_t wire = 0; wire < message.initialLevels.size(); ++wire) {
        message.initialLevels[wire] = (levels >> wire & 1u) != 0;
    }
    message.transitionCount = in.u64();
}

void put(ByteWriter& out, const WaveformChunk& message) {
    out.u32(static_cast<std::uint32_t>(message.transitions.size()));
    for (const hub::WaveformTransition& transition : message.transitions) {
        out.u64(transition.nanoseconds);
        out.u8(transition.wire);
        out.u8(transition.level);
    }
}
void take(ByteReader& in, WaveformChunk& message) {
    const std::uint32_t count = in.u32();
    in.require(count >= 1 && count <= kTransitionsPerChunk);
    message.transitions.clear();
    for (std::uint32_t i = 0; i < count && !in.failed(); ++i) {
        hub::WaveformTransition& transition = message.transitions.emplace_back();
        transition.nanoseconds = in.u64();
        transition.wire = in.u8();
        in.require(transition.wire < hub::kWaveformWireCount);
        transition.level = in.flag();
    }
}

void put(ByteWriter& out, const CaptureReply& message) {
    out.i32(message.status);
    out.text(message.error);
}
void take(ByteReader& in, CaptureReply& message) {
    message.status = in.i32();
    message.error = in.text(kMaxTextBytes);
}

// ---- the type of each message ------------------------------------------------------------------

template <typename Message>
struct TypeOf;
#define ZO_MESSAGE_TYPE(Message, value)                 \
    template <>                                         \
    struct TypeOf<Message> {                            \
        static constexpr std::uint16_t kType = (value); \
    }
ZO_MESSAGE_TYPE(HelloRequest, static_cast<std::uint16_t>(MessageType::Hello));
ZO_MESSAGE_TYPE(OpenRequest, static_cast<std::uint16_t>(MessageType::Open));
ZO_MESSAGE_TYPE(IoControlRequest, static_cast<std::uint16_t>(MessageType::IoControl));
ZO_MESSAGE_TYPE(CloseRequest, static_cast<std::uint16_t>(MessageType::Close));
ZO_MESSAGE_TYPE(StatusRequest, static_cast<std::uint16_t>(MessageType::Status));
ZO_MESSAGE_TYPE(PlugRequest, static_cast<std::uint16_t>(MessageType::Plug));
ZO_MESSAGE_TYPE(UnplugRequest, static_cast<std::uint16_t>(MessageType::Unplug));
ZO_MESSAGE_TYPE(RecordStartRequest, static_cast<std::uint16_t>(MessageType::RecordStart));
ZO_MESSAGE_TYPE(RecordStopRequest, static_cast<std::uint16_t>(MessageType::RecordStop));
ZO_MESSAGE_TYPE(CaptureRequest, static_cast<std::uint16_t>(MessageType::Capture));
ZO_MESSAGE_TYPE(StopRequest, static_cast<std::uint16_t>(MessageType::Stop));
ZO_MESSAGE_TYPE(HelloReply, replyType(MessageType::Hello));
ZO_MESSAGE_TYPE(IoControlReply, replyType(MessageType::IoControl));
ZO_MESSAGE_TYPE(StatusReply, replyType(MessageType::Status));
ZO_MESSAGE_TYPE(PlugReply, replyType(MessageType::Plug));
ZO_MESSAGE_TYPE(RecordStopReply, replyType(MessageType::RecordStop));
ZO_MESSAGE_TYPE(CaptureReply, replyType(MessageType::Capture));
ZO_MESSAGE_TYPE(WaveformChunk, static_cast<std::uint16_t>(MessageType::WaveformChunk));
#undef ZO_MESSAGE_TYPE
template <MessageType Answered>
struct TypeOf<Completion<Answered>> {
    static constexpr std::uint16_t kType = replyType(Answered);
};

template <typename Message>
std::vector<std::uint8_t> frameOf(const Message& message) {
    ByteWriter out;
    out.bytes(std::array<std::uint8_t, kHeaderBytes>{});
    put(out, message);
    std::vector<std::uint8_t>& bytes = out.bytes();
    const auto bodyLength = static_cast<std::uint32_t>(bytes.size() - kHeaderBytes);
    const auto header = encodeHeader({bodyLength, TypeOf<Message>::kType});
    std::copy(header.begin(), header.end(), bytes.begin());
    return std::move(bytes);
}

template <typename Message>
std::optional<Message> bodyOf(std::span<const std::uint8_t> body) {
    ByteReader in(body);
    Message message;
    take(in, message);
    if (!in.finished()) {
        return std::nullopt;
    }
    return message;
}

}  // namespace

std::array<std::uint8_t, kHeaderBytes> encodeHeader(const FrameHeader& header) {
    ByteWriter out;
    out.u32(header.bodyLength);
    out.u16(header.type);
    out.u16(0);
    std::array<std::uint8_t, kHeaderBytes> bytes{};
    std::copy(out.bytes().begin(), out.bytes().end(), bytes.begin());
    return bytes;
}

std::optional<FrameHeader> decodeHeader(std::span<const std::uint8_t, kHeaderBytes> bytes,
                                        std::uint32_t bodyLimit) {
    ByteReader in(bytes);
    FrameHeader header;
    header.bodyLength = in.u32();
    header.type = in.u16();
    in.require(in.u16() == 0 && header.bodyLength <= bodyLimit);
    if (!in.finished()) {
        return std::nullopt;
    }
    return header;
}

std::uint32_t requestBodyLimit(std::uint16_t type) {
    switch (static_cast<MessageType>(type)) {
        case MessageType::Hello:
            return 8;
        case MessageType::Open:
            return 4 + kPathField;
        case MessageType::IoControl:
            return kMaxBodyBytes;
        case MessageType::Plug:
        case MessageType::Capture:
            return kTextField;
        case MessageType::Unplug:
            return 4;
        case MessageType::RecordStart:
            return kPathField + 4;
        case MessageType::Close:
        case MessageType::Status:
        case MessageType::RecordStop:
        case MessageType::Stop:
        case MessageType::WaveformChunk:
            break;
    }
    return 0;
}

bool carriesOutputBuffer(std::uint32_t ioControlCode) {
    return (ioControlCode & kMethodMask) != kMethodBuffered;
}

std::vector<std::uint8_t> encode(const Request& request) {
    return std::visit([](const auto& message) { return frameOf(message); }, request);
}
std::vector<std::uint8_t> encode(const HelloReply& reply) {
    return frameOf(reply);
}
template <MessageType Answered>
std::vector<std::uint8_t> encode(const Completion<Answered>& reply) {
    return frameOf(reply);
}
template std::vector<std::uint8_t> encode(const OpenReply&);
template std::vector<std::uint8_t> encode(const CloseReply&);
template std::vector<std::uint8_t> encode(const UnplugReply&);
template std::vector<std::uint8_t> encode(const RecordStartReply&);
template std::vector<std::uint8_t> encode(const StopReply&);
std::vector<std::uint8_t> encode(const IoControlReply& reply) {
    return frameOf(reply);
}
std::vector<std::uint8_t> encode(const StatusReply& reply) {
    return frameOf(reply);
}
std::vector<std::uint8_t> encode(const PlugReply& reply) {
    return frameOf(reply);
}
std::vector<std::uint8_t> encode(const RecordStopReply& reply) {
    return frameOf(reply);
}
std::vector<std::uint8_t> encode(const WaveformChunk& chunk) {
    return frameOf(chunk);
}
std::vector<std::uint8_t> encode(const CaptureReply& reply) {
    return frameOf(reply);
}

std::optional<Request> decodeRequest(std::uint16_t type, std::span<const std::uint8_t> body) {
    const auto as = [&]<typename Message>(Message) -> std::optional<Request> {
        if (auto message = bodyOf<Message>(body)) {
            return Request(std::move(*message));
        }
        return std::nullopt;
    };
    switch (static_cast<MessageType>(type)) {
        case MessageType::Hello:
            return as(HelloRequest{});
        case MessageType::Open:
            return as(OpenRequest{});
        case MessageType::IoControl:
            return as(IoControlRequest{});
        case MessageType::Close:
            return as(CloseRequest{});
        case MessageType::Status:
            return as(StatusRequest{});
        case MessageType::Plug:
            return as(PlugRequest{});
        case MessageType::Unplug:
            return as(UnplugRequest{});
        case MessageType::RecordStart:
            return as(RecordStartRequest{});
        case MessageType::RecordStop:
            return as(RecordStopRequest{});
        case MessageType::Capture:
            return as(CaptureRequest{});
        case MessageType::Stop:
            return as(StopRequest{});
        case MessageType::WaveformChunk:
            break;
    }
    return std::nullopt;
}

template <typename Reply>
std::optional<Reply> decodeReply(std::uint16_t type, std::span<const std::uint8_t> body) {
    if (type != TypeOf<Reply>::kType) {
        return std::nullopt;
    }
    return bodyOf<Reply>(body);
}
template std::optional<HelloReply> decodeReply(std::uint16_t, std::span<const std::uint8_t>);
template std::optional<OpenReply> decodeReply(std::uint16_t, std::span<const std::uint8_t>);
template std::optional<CloseReply> decodeReply(std::uint16_t, std::span<const std::uint8_t>);
template std::optional<UnplugReply> decodeReply(std::uint16_t, std::span<const std::uint8_t>);
template std::optional<RecordStartReply> decodeReply(std::uint16_t, std::span<const std::uint8_t>);
template std::optional<StopReply> decodeReply(std::uint16_t, std::span<const std::uint8_t>);
template std::optional<IoControlReply> decodeReply(std::uint16_t, std::span<const std::uint8_t>);
template std::optional<StatusReply> decodeReply(std::uint16_t, std::span<const std::uint8_t>);
template std::optional<PlugReply> decodeReply(std::uint16_t, std::span<const std::uint8_t>);
template std::optional<RecordStopReply> decodeReply(std::uint16_t, std::span<const std::uint8_t>);
template std::optional<WaveformChunk> decodeReply(std::uint16_t, std::span<const std::uint8_t>);
template std::optional<CaptureReply> decodeReply(std::uint16_t, std::span<const std::uint8_t>);

}  // namespace zo::platform::service

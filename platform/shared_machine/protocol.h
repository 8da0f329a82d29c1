#pragma once
// The messages between the programs of the suite and zousbsim, the service that hosts the shared
// simulated machine (docs/service-protocol.md). Each message is a frame: an 8-byte header (body
// length, type) and a body whose layout the type fixes. Every length has a bound, so a reader
// never takes more than it can hold, and anything that does not match its layout is refused.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "hub/waveform.h"

namespace zo::platform::service {

inline constexpr std::uint16_t kProtocolVersion = 1;
inline constexpr std::array<std::uint8_t, 4> kHelloMagic = {'Z', 'O', 'S', 'M'};

inline constexpr std::size_t kHeaderBytes = 8;
inline constexpr std::uint32_t kMaxTransferBytes = 4u << 20;  // input, and output, of one request
inline constexpr std::size_t kMaxPathBytes = 256;             // a device name
inline constexpr std::size_t kMaxTextBytes = 4096;            // file names, hub entries, messages
inline constexpr std::size_t kMaxHubs = 32;                   // hubs plugged in at once
inline constexpr std::size_t kMaxHandles = 64;                // connections served at once
inline constexpr std::size_t kTransitionsPerChunk = 4096;
inline constexpr std::uint32_t kMaxBodyBytes = 12 + 2 * kMaxTransferBytes;

enum class MessageType : std::uint16_t {
    Hello = 1,
    Open = 2,
    IoControl = 3,
    Close = 4,
    Status = 16,
    Plug = 17,
    Unplug = 18,
    RecordStart = 19,
    RecordStop = 20,
    Capture = 21,
    Stop = 22,
    WaveformChunk = 32,  // sent by the service only, after a RecordStop reply
};
// A reply has the type of the request it answers with this bit set.
inline constexpr std::uint16_t kReplyBit = 0x8000;
constexpr std::uint16_t replyType(MessageType request) {
    return static_cast<std::uint16_t>(static_cast<std::uint16_t>(request) | kReplyBit);
}

struct FrameHeader {
    std::uint32_t bodyLength = 0;
    std::uint16_t type = 0;
};
std::array<std::uint8_t, kHeaderBytes> encodeHeader(const FrameHeader& header);
// Nullopt when the reserved bytes are not zero or the body is longer than `bodyLimit`.
std::optional<FrameHeader> decodeHeader(std::span<const std::uint8_t, kHeaderBytes> bytes,
                                        std::uint32_t bodyLimit);
// The longest body a request of this type may have; 0 for a type that is no request.
std::uint32_t requestBodyLimit(std::uint16_t type);

// I/O control: for a buffered code only the input crosses to the service and only the bytes
// returned cross back; for the direct methods the driver works on the caller's output buffer, so
// its whole content crosses both ways.
bool carriesOutputBuffer(std::uint32_t ioControlCode);

// ---- requests -------------------------------------------------------------------------------

struct HelloRequest {
    std::uint16_t version = kProtocolVersion;
};
struct OpenRequest {
    bool from32BitProcess = false;
    std::string path;  // "\\.\ZOUSB-0", 1 to kMaxPathBytes bytes
};
struct IoControlRequest {
    std::uint32_t code = 0;
    std::vector<std::uint8_t> input;
    std::uint32_t outputLength = 0;
    std::vector<std::uint8_t> output;  // outputLength bytes when carriesOutputBuffer(code)
};
struct CloseRequest {};
struct StatusRequest {};
struct PlugRequest {
    std::string entry;  // one entry of ZOUSB_DEVICES: "sim:speed=full"
};
struct UnplugRequest {
    std::uint32_t port = 0;
};
struct RecordStartRequest {
    std::string path;                  // the hub's device name
    std::uint32_t maxTransitions = 0;  // 0: the hub's default limit
};
struct RecordStopRequest {};
struct CaptureRequest {
    std::string path;  // absolute file name; empty: stop capturing
};
struct StopRequest {};

using Request = std::variant<HelloRequest, OpenRequest, IoControlRequest, CloseRequest,
                             StatusRequest, PlugRequest, UnplugRequest, RecordStartRequest,
                             RecordStopRequest, CaptureRequest, StopRequest>;

// ---- replies --------------------------------------------------------------------------------

struct HelloReply {
    std::uint16_t version = kProtocolVersion;
    std::int32_t status = 0;  // STATUS_REVISION_MISMATCH: the service speaks another version
    std::uint32_t servicePid = 0;
};
// The reply of a request whose only answer is a status.
template <MessageType Answered>
struct Completion {
    std::int32_t status = 0;
};
using OpenReply = Completion<MessageType::Open>;
using CloseReply = Completion<MessageType::Close>;
using UnplugReply = Completion<MessageType::Unplug>;
using RecordStartReply = Completion<MessageType::RecordStart>;
using StopReply = Completion<MessageType::Stop>;

struct IoControlReply {
    std::int32_t status = 0;
    std::uint32_t information = 0;
    // Buffered: the bytes returned on success. Direct: the whole output buffer.
    std::vector<std::uint8_t> output;
};

struct HubEntry {
    std::uint32_t port = 0;
    std::string device;      // "\\.\ZOUSB-n", empty when no driver instance took the hub
    bool simulated = false;  // a simulated Quintel hub, whose options follow
    bool highSpeed = false;
    bool hasInfoBlock = false;
    bool recording = false;
    std::uint16_t productId = 0;
    std::uint16_t firmware = 0;
    std::uint32_t serial = 0;
    double inputAHz = 0;
    double inputBHz = 0;
    bool operator==(const HubEntry&) const = default;
};
struct HandleEntry {
    std::uint32_t connection = 0;
    std::int32_t processId = 0;
    bool from32BitProcess = false;
    std::string device;
    bool operator==(const HandleEntry&) const = default;
};
struct StatusReply {
    std::vector<HubEntry> hubs;        // at most kMaxHubs
    std::vector<HandleEntry> handles;  // at most kMaxHandles
    std::string capturePath;           // empty: no usbmon capture
};
struct PlugReply {
    std::int32_t added = 0;    // the driver's add-device routine
    std::int32_t started = 0;  // the start request, when adding succeeded
    std::uint32_t port = 0;
    std::string error;  // why the entry was refused; nothing was plugged in then
};
struct RecordStopReply {
    std::int32_t status = 0;
    std::uint64_t startNanoseconds = 0;
    std::uint64_t endNanoseconds = 0;
    bool truncated = false;
    std::array<bool, hub::kWaveformWireCount> initialLevels{};
    std::uint64_t transitionCount = 0;  // sent in WaveformChunk messages after this reply
};
struct WaveformChunk {
    std::vector<hub::WaveformTransition> transitions;  // 1 to kTransitionsPerChunk
};
struct CaptureReply {
    std::int32_t status = 0;
    std::string error;
};

// ---- frames ---------------------------------------------------------------------------------

// A whole frame (header and body) for each request and reply.
std::vector<std::uint8_t> encode(const Request& request);
std::vector<std::uint8_t> encode(const HelloReply& reply);
template <MessageType Answered>
std::vector<std::uint8_t> encode(const Completion<Answered>& reply);
std::vector<std::uint8_t> encode(const IoControlReply& reply);
std::vector<std::uint8_t> encode(const StatusReply& reply);
std::vector<std::uint8_t> encode(const PlugReply& reply);
std::vector<std::uint8_t> encode(const RecordStopReply& reply);
std::vector<std::uint8_t> encode(const WaveformChunk& chunk);
std::vector<std::uint8_t> encode(const CaptureReply& reply);

// The body of a request of this type; nullopt when it does not match the type's layout.
std::optional<Request> decodeRequest(std::uint16_t type, std::span<const std::uint8_t> body);

// The body of a reply (or chunk) of the expected kind; nullopt when the type or layout differs.
template <typename Reply>
std::optional<Reply> decodeReply(std::uint16_t type, std::span<const std::uint8_t> body);

}  // namespace zo::platform::service

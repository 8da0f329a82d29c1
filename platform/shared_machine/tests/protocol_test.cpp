// The protocol between programs and zousbsim: every message survives the trip through its bytes,
// and bytes that do not fit a message's layout or bounds are refused.

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "kernel/ntstatus.h"
#include "platform/shared_machine/fuzz/message_check.h"
#include "platform/shared_machine/protocol.h"

namespace zo::platform::service {
namespace {

constexpr std::uint32_t kBufferedCode = 0x222000;  // method 0
constexpr std::uint32_t kInDirectCode = 0x222059;  // method 1

std::span<const std::uint8_t> bodyOf(const std::vector<std::uint8_t>& frame) {
    return std::span(frame).subspan(kHeaderBytes);
}

std::uint16_t typeOf(const std::vector<std::uint8_t>& frame) {
    return static_cast<std::uint16_t>(frame[4] | frame[5] << 8);
}

std::optional<Request> decodeFrame(const std::vector<std::uint8_t>& frame) {
    const auto header = decodeHeader(std::span(frame).first<kHeaderBytes>(), kMaxBodyBytes);
    if (!header || header->bodyLength != frame.size() - kHeaderBytes) {
        return std::nullopt;
    }
    return decodeRequest(header->type, bodyOf(frame));
}

StatusReply sampleStatus() {
    StatusReply status;
    status.hubs.push_back(
        {1, "\\\\.\\ZOUSB-0", true, true, true, false, 0x4345, 0x0100, 1, 1000, 2500.5});
    status.hubs.push_back({3, "", false, false, false, true, 0, 0, 0, 0, 0});
    status.handles.push_back({7, 4242, true, "\\\\.\\ZOUSB-0"});
    status.capturePath = "/tmp/bus.pcap";
    return status;
}

std::vector<std::vector<std::uint8_t>> sampleFrames() {
    return {
        encode(Request(HelloRequest{})),
        encode(Request(OpenRequest{true, "\\\\.\\ZOUSB-3"})),
        encode(Request(IoControlRequest{kBufferedCode, {1, 2, 3}, 1024, {}})),
        encode(Request(IoControlRequest{
            kInDirectCode, {1, 2, 0, 0, 0xFC, 0, 0x40, 0xC0, 0, 0}, 2, {0xAA, 0xBB}})),
        encode(Request(CloseRequest{})),
        encode(Request(StatusRequest{})),
        encode(Request(PlugRequest{"sim:speed=full"})),
        encode(Request(UnplugRequest{2})),
        encode(Request(RecordStartRequest{"\\\\.\\ZOUSB-0", 5000})),
        encode(Request(RecordStopRequest{})),
        encode(Request(CaptureRequest{"/tmp/bus.pcap"})),
        encode(Request(StopRequest{})),
        encode(HelloReply{kProtocolVersion, 0, 1234}),
        encode(OpenReply{STATUS_OBJECT_NAME_NOT_FOUND}),
        encode(IoControlReply{0, 2, {0x56, 0x49}}),
        encode(sampleStatus()),
        encode(PlugReply{0, 0, 2, ""}),
        encode(RecordStopReply{0, 100, 900, true, {true, false, true}, 2}),
        encode(WaveformChunk{{{120, 8, true}, {500, 0, false}}}),
        encode(CaptureReply{STATUS_UNSUCCESSFUL, "cannot write"}),
    };
}

TEST(ProtocolTest, EveryRequestComesBackAsItWasSent) {
    const Request requests[] = {
        HelloRequest{},
        OpenRequest{true, "\\\\.\\ZOUSB-3"},
        IoControlRequest{kBufferedCode, {1, 2, 3}, 1024, {}},
        IoControlRequest{kInDirectCode, {9}, 2, {0xAA, 0xBB}},
        PlugRequest{"sim:speed=full"},
        UnplugRequest{2},
        RecordStartRequest{"\\\\.\\ZOUSB-0", 5000},
        CaptureRequest{""},
        StopRequest{},
    };
    for (const Request& request : requests) {
        const std::optional<Request> decoded = decodeFrame(encode(request));
        ASSERT_TRUE(decoded) << "request index " << request.index();
        EXPECT_EQ(encode(*decoded), encode(request)) << "request index " << request.index();
    }
    const auto direct =
        decodeFrame(encode(Request(IoControlRequest{kInDirectCode, {9}, 2, {7, 8}})));
    const auto& control = std::get<IoControlRequest>(*direct);
    EXPECT_EQ(control.output, (std::vector<std::uint8_t>{7, 8}));
    EXPECT_EQ(control.outputLength, 2u);
}

TEST(ProtocolTest, RepliesComeBackAsTheyWereSentAndOnlyAsTheirOwnKind) {
    const StatusReply status = sampleStatus();
    const std::vector<std::uint8_t> frame = encode(status);
    const auto decoded = decodeReply<StatusReply>(typeOf(frame), bodyOf(frame));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->hubs, status.hubs);
    EXPECT_EQ(decoded->handles, status.handles);
    EXPECT_EQ(decoded->capturePath, status.capturePath);
    EXPECT_FALSE(decodeReply<PlugReply>(typeOf(frame), bodyOf(frame)));

    const std::vector<std::uint8_t> chunk =
        encode(WaveformChunk{{{120, 8, true}, {500, 9, false}}});
    const auto transitions = decodeReply<WaveformChunk>(typeOf(chunk), bodyOf(chunk));
    ASSERT_TRUE(transitions);
    EXPECT_EQ(transitions->transitions,
              (std::vector<hub::WaveformTransition>{{120, 8, true}, {500, 9, false}}));

    const std::vector<std::uint8_t> stop =
        encode(RecordStopReply{0, 100, 900, true, {true, false, true}, 2});
    const auto summary = decodeReply<RecordStopReply>(typeOf(stop), bodyOf(stop));
    ASSERT_TRUE(summary);
    EXPECT_TRUE(summary->truncated);
    EXPECT_TRUE(summary->initialLevels[2]);
    EXPECT_FALSE(summary->initialLevels[1]);
}

TEST(ProtocolTest, HeadersWithReservedBitsOrLongerBodiesThanAllowedAreRefused) {
    std::vector<std::uint8_t> frame = encode(Request(StatusRequest{}));
    frame[7] = 1;
    EXPECT_FALSE(decodeHeader(std::span(frame).first<kHeaderBytes>(), kMaxBodyBytes));
    const auto longBody = encodeHeader({kMaxBodyBytes + 1, 3});
    EXPECT_FALSE(decodeHeader(longBody, kMaxBodyBytes));
    EXPECT_TRUE(decodeHeader(encodeHeader({kMaxBodyBytes, 3}), kMaxBodyBytes));
    // The service's bound depends on the type: a greeting is never longer than 8 bytes, a
    // request without fields has no body, a type that is no request has none either.
    EXPECT_EQ(requestBodyLimit(static_cast<std::uint16_t>(MessageType::Hello)), 8u);
    EXPECT_EQ(requestBodyLimit(static_cast<std::uint16_t>(MessageType::Status)), 0u);
    EXPECT_EQ(requestBodyLimit(0x7777), 0u);
    EXPECT_EQ(requestBodyLimit(static_cast<std::uint16_t>(MessageType::IoControl)), kMaxBodyBytes);
}

TEST(ProtocolTest, EveryShortenedOrLengthenedRequestIsRefused) {
    for (const auto& frame : sampleFrames()) {
        const std::uint16_t type = typeOf(frame);
        if ((type & kReplyBit) != 0 || frame.size() == kHeaderBytes) {
            continue;
        }
        const auto body = bodyOf(frame);
        for (std::size_t length = 0; length < body.size(); ++length) {
            EXPECT_FALSE(decodeRequest(type, body.first(length)))
                << "type " << type << " cut to " << length;
        }
        std::vector<std::uint8_t> longer(body.begin(), body.end());
        longer.push_back(0);
        EXPECT_FALSE(decodeRequest(type, longer)) << "type " << type;
    }
}

TEST(ProtocolTest, FieldsOutsideTheirRangeAreRefused) {
    const auto refused = [](std::vector<std::uint8_t> frame, std::size_t at, std::uint8_t value) {
        frame[kHeaderBytes + at] = value;
        return !decodeFrame(frame).has_value();
    };
    const auto hello = encode(Request(HelloRequest{}));
    EXPECT_TRUE(refused(hello, 0, 'X'));  // magic
    EXPECT_TRUE(refused(hello, 6, 1));    // reserved
    const auto open = encode(Request(OpenRequest{false, "\\\\.\\ZOUSB-0"}));
    EXPECT_TRUE(refused(open, 0, 2));  // an unknown open flag
    EXPECT_FALSE(decodeFrame(encode(Request(OpenRequest{false, ""}))));
    EXPECT_FALSE(
        decodeFrame(encode(Request(OpenRequest{false, std::string(kMaxPathBytes + 1, 'x')}))));
    EXPECT_TRUE(decodeFrame(encode(Request(OpenRequest{false, std::string(kMaxPathBytes, 'x')}))));
    // An output length above the bound, even with a buffered code that carries no buffer.
    auto control = encode(Request(IoControlRequest{kBufferedCode, {}, 0, {}}));
    const std::uint32_t tooLong = kMaxTransferBytes + 1;
    std::memcpy(&control[kHeaderBytes + 8], &tooLong, sizeof tooLong);
    EXPECT_FALSE(decodeFrame(control));

    const auto chunk = encode(WaveformChunk{{{1, 0, true}}});
    const auto chunkRefused = [&](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> bad = chunk;
        bad[kHeaderBytes + at] = value;
        return !decodeReply<WaveformChunk>(typeOf(bad), bodyOf(bad));
    };
    EXPECT_TRUE(chunkRefused(12, 10));  // wire 10 does not exist
    EXPECT_TRUE(chunkRefused(13, 2));   // a level is 0 or 1
    EXPECT_TRUE(chunkRefused(0, 0));    // an empty chunk
    EXPECT_FALSE(decodeReply<WaveformChunk>(typeOf(encode(WaveformChunk{})),
                                            bodyOf(encode(WaveformChunk{}))));

    StatusReply crowded;
    crowded.hubs.resize(kMaxHubs + 1);
    const auto many = encode(crowded);
    EXPECT_FALSE(decodeReply<StatusReply>(typeOf(many), bodyOf(many)));
}

// The randomized counterpart of the libFuzzer target: valid frames, bent at random (bytes
// changed, cut short, lengthened), never decode to anything but exactly what they hold.
TEST(ProtocolTest, RandomlyBentFramesAreRefusedOrDecodeToExactlyWhatTheyHold) {
    std::mt19937 random(20240611);
    const auto frames = sampleFrames();
    constexpr int kRounds = 200'000;
    int decoded = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::uint8_t> frame = frames[random() % frames.size()];
        const int bends = 1 + static_cast<int>(random() % 4);
        for (int bend = 0; bend < bends; ++bend) {
            const std::size_t at = random() % frame.size();
            switch (random() % 4) {
                case 0:
                    frame[at] = static_cast<std::uint8_t>(random());
                    break;
                case 1:
                    frame[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
                    break;
                case 2:
                    frame.resize(at + 1);
                    break;
                default:
                    frame.insert(frame.begin() + static_cast<std::ptrdiff_t>(at),
                                 static_cast<std::uint8_t>(random()));
                    break;
            }
        }
        // Keep the header's length honest half of the time, so that bodies get decoded.
        if (frame.size() >= kHeaderBytes && random() % 2 == 0) {
            const auto length = static_cast<std::uint32_t>(frame.size() - kHeaderBytes);
            std::memcpy(frame.data(), &length, sizeof length);
        }
        ASSERT_TRUE(decodesCanonically(frame)) << "round " << round;
        decoded += decodeFrame(frame).has_value() ? 1 : 0;
    }
    EXPECT_GT(decoded, kRounds / 100);  // the bending left enough frames whole to decode
}

}  // namespace
}  // namespace zo::platform::service

#include "platform/shared_machine/fuzz/message_check.h"

#include <algorithm>

#include "platform/shared_machine/protocol.h"

namespace zo::platform::service {

namespace {

template <typename Reply>
bool replyRoundTrips(std::uint16_t type, std::span<const std::uint8_t> body,
                     std::span<const std::uint8_t> frame) {
    const std::optional<Reply> reply = decodeReply<Reply>(type, body);
    if (!reply) {
        return true;
    }
    const std::vector<std::uint8_t> again = encode(*reply);
    return std::equal(again.begin(), again.end(), frame.begin(), frame.end());
}

}  // namespace

bool decodesCanonically(std::span<const std::uint8_t> frame) {
    if (frame.size() < kHeaderBytes) {
        return true;
    }
    const auto header = decodeHeader(frame.first<kHeaderBytes>(), kMaxBodyBytes);
    if (!header || header->bodyLength != frame.size() - kHeaderBytes) {
        return true;
    }
    const std::span<const std::uint8_t> body = frame.subspan(kHeaderBytes);
    if (body.size() <= requestBodyLimit(header->type)) {
        if (const std::optional<Request> request = decodeRequest(header->type, body)) {
            const std::vector<std::uint8_t> again = encode(*request);
            if (!std::equal(again.begin(), again.end(), frame.begin(), frame.end())) {
                return false;
            }
        }
    }
    const std::uint16_t type = header->type;
    return replyRoundTrips<HelloReply>(type, body, frame) &&
           replyRoundTrips<OpenReply>(type, body, frame) &&
           replyRoundTrips<CloseReply>(type, body, frame) &&
           replyRoundTrips<UnplugReply>(type, body, frame) &&
           replyRoundTrips<RecordStartReply>(type, body, frame) &&
           replyRoundTrips<StopReply>(type, body, frame) &&
           replyRoundTrips<IoControlReply>(type, body, frame) &&
           replyRoundTrips<StatusReply>(type, body, frame) &&
           replyRoundTrips<PlugReply>(type, body, frame) &&
           replyRoundTrips<RecordStopReply>(type, body, frame) &&
           replyRoundTrips<WaveformChunk>(type, body, frame) &&
           replyRoundTrips<CaptureReply>(type, body, frame);
}

}  // namespace zo::platform::service

#pragma once
// A connection to zousbsim as a client: the socket's folder and the service's user checked, the
// protocol version agreed. Requests are answered in order. A session whose service went away or
// answered something that does not fit is broken for good: every later call fails at once.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "platform/shared_machine/message_channel.h"
#include "platform/shared_machine/protocol.h"

namespace zo::platform::service {

class ServiceSession {
  public:
    // Nullopt with the reason in `status`: STATUS_NO_SUCH_DEVICE when no service answers at the
    // socket, STATUS_ACCESS_DENIED when its folder or its user is not this user's,
    // STATUS_REVISION_MISMATCH when it speaks another version of the protocol.
    static std::optional<ServiceSession> connect(const std::filesystem::path& socket,
                                                 std::int32_t& status);

    // Sends the request and waits for its reply; nullopt when the session is (now) broken.
    template <typename Reply>
    std::optional<Reply> call(const Request& request) {
        if (broken_ || !channel_.send(encode(request))) {
            broken_ = true;
            return std::nullopt;
        }
        return receive<Reply>();
    }
    // The next message, which must be a Reply; for the chunks that follow a reply.
    template <typename Reply>
    std::optional<Reply> receive() {
        Frame frame;
        std::optional<Reply> reply;
        if (!broken_ && channel_.receive(frame, [](std::uint16_t) { return kMaxBodyBytes; }) ==
                            Received::Frame) {
            reply = decodeReply<Reply>(frame.type, frame.body);
        }
        broken_ = !reply;
        return reply;
    }

    std::uint32_t servicePid() const { return servicePid_; }

  private:
    ServiceSession(MessageChannel channel, std::uint32_t servicePid)
        : channel_(std::move(channel)), servicePid_(servicePid) {}

    MessageChannel channel_;
    std::uint32_t servicePid_ = 0;
    bool broken_ = false;
};

}  // namespace zo::platform::service

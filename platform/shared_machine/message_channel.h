#pragma once
// A connected Unix-domain stream socket that carries whole protocol frames. Sending never raises
// SIGPIPE: a peer that went away is a failed send. Receiving reads the header first and refuses a
// body longer than the caller's limit without reading it.

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/shared_machine/protocol.h"

namespace zo::platform::service {

struct Frame {
    std::uint16_t type = 0;
    std::vector<std::uint8_t> body;
};

enum class Received { Frame, Closed, Malformed };

class MessageChannel {
  public:
    explicit MessageChannel(FileDescriptor socket) : socket_(std::move(socket)) {}

    // The frame whole; false when the peer is gone or the socket was shut down.
    bool send(std::span<const std::uint8_t> frame);
    // The next frame into `frame`. Closed: the peer is gone (or the socket was shut down);
    // Malformed: a header with reserved bits set or a body longer than `bodyLimit(type)`.
    template <typename Limit>
    Received receive(Frame& frame, Limit bodyLimit) {
        if (!buffer(kHeaderBytes)) {
            return Received::Closed;
        }
        const std::span<const std::uint8_t, kHeaderBytes> header(pending_.data(), kHeaderBytes);
        return receiveBody(frame, bodyLimit(headerType(header)));
    }

    // Ends both directions at once, waking a thread blocked on this socket; the descriptor
    // stays open until the channel is destroyed.
    void shutdown();

    // The user and process on the other end, as the operating system vouches for them.
    struct Peer {
        uid_t user = 0;
        pid_t process = 0;
    };
    std::optional<Peer> peer() const;

  private:
    static std::uint16_t headerType(std::span<const std::uint8_t, kHeaderBytes> header);
    Received receiveBody(Frame& frame, std::uint32_t bodyLimit);
    // At least `count` bytes (at most the buffer's size) received and waiting in the buffer.
    bool buffer(std::size_t count);
    bool readExactly(std::span<std::uint8_t> bytes);

    FileDescriptor socket_;
    // Bytes received ahead: one read usually brings a small message whole.
    std::array<std::uint8_t, 4096> pending_{};
    std::size_t pendingSize_ = 0;
};

}  // namespace zo::platform::service

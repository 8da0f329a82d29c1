#include "platform/shared_machine/message_channel.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "platform/shared_machine/protocol.h"

namespace zo::platform::service {

namespace {

// Repeats `move` (a send or a receive) until every byte has gone; false when the peer is gone.
template <typename Bytes, typename Move>
bool moveAll(Bytes bytes, Move move) {
    while (!bytes.empty()) {
        const ssize_t moved = move(bytes);
        if (moved < 0 && errno == EINTR) {
            continue;
        }
        if (moved <= 0) {
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(moved));
    }
    return true;
}

}  // namespace

bool MessageChannel::send(std::span<const std::uint8_t> frame) {
    return moveAll(frame, [this](std::span<const std::uint8_t> left) {
        return ::send(socket_.get(), left.data(), left.size(), MSG_NOSIGNAL);
    });
}

bool MessageChannel::buffer(std::size_t count) {
    while (pendingSize_ < count) {
        const ssize_t got = ::recv(socket_.get(), pending_.data() + pendingSize_,
                                   pending_.size() - pendingSize_, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        pendingSize_ += static_cast<std::size_t>(got);
    }
    return true;
}

bool MessageChannel::readExactly(std::span<std::uint8_t> bytes) {
    return moveAll(bytes, [this](std::span<std::uint8_t> left) {
        return ::recv(socket_.get(), left.data(), left.size(), 0);
    });
}

std::uint16_t MessageChannel::headerType(std::span<const std::uint8_t, kHeaderBytes> header) {
    return static_cast<std::uint16_t>(header[4] | header[5] << 8);
}

Received MessageChannel::receiveBody(Frame& frame, std::uint32_t bodyLimit) {
    const std::optional<FrameHeader> decoded = decodeHeader(
        std::span<const std::uint8_t, kHeaderBytes>(pending_.data(), kHeaderBytes), bodyLimit);
    if (!decoded) {
        return Received::Malformed;
    }
    frame.type = decoded->type;
    frame.body.resize(decoded->bodyLength);
    // The body's first part may have arrived with the header; the rest is read where it goes.
    const std::size_t buffered = std::min(pendingSize_ - kHeaderBytes, frame.body.size());
    const auto first = pending_.begin() + kHeaderBytes;
    std::copy(first, first + static_cast<std::ptrdiff_t>(buffered), frame.body.begin());
    const std::size_t used = kHeaderBytes + buffered;
    std::copy(pending_.begin() + static_cast<std::ptrdiff_t>(used),
              pending_.begin() + static_cast<std::ptrdiff_t>(pendingSize_), pending_.begin());
    pendingSize_ -= used;
    return readExactly(std::span(frame.body).subspan(buffered)) ? Received::Frame
                                                                : Received::Closed;
}

void MessageChannel::shutdown() {
    ::shutdown(socket_.get(), SHUT_RDWR);
}

std::optional<MessageChannel::Peer> MessageChannel::peer() const {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(socket_.get(), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) {
        return std::nullopt;
    }
    return Peer{credentials.uid, credentials.pid};
}

}  // namespace zo::platform::service

#pragma once
// Test support: a connection to a service that speaks bytes, not messages, to show what the
// service makes of bytes that do not fit its protocol.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <span>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/shared_machine/protocol.h"

namespace zo::zousbsim::testing {

class RawConnection {
  public:
    explicit RawConnection(const std::filesystem::path& socket)
        : socket_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
        connected_ = ::connect(socket_.get(), reinterpret_cast<const sockaddr*>(&address),
                               sizeof address) == 0;
    }

    bool connected() const { return connected_; }
    int fd() const { return socket_.get(); }

    bool send(std::span<const std::uint8_t> bytes) {
        return ::send(socket_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    bool greet() {
        return send(platform::service::encode(
                   platform::service::Request(platform::service::HelloRequest{}))) &&
               skip(platform::service::kHeaderBytes + 12);
    }
    // Reads and drops `count` bytes; false when the connection ends first.
    bool skip(std::size_t count) {
        std::vector<std::uint8_t> bytes(count);
        return read(bytes);
    }
    bool read(std::span<std::uint8_t> bytes) {
        while (!bytes.empty()) {
            if (!readable()) {
                return false;
            }
            const ssize_t got = ::recv(socket_.get(), bytes.data(), bytes.size(), 0);
            if (got <= 0) {
                return false;
            }
            bytes = bytes.subspan(static_cast<std::size_t>(got));
        }
        return true;
    }
    // The service closed this connection: the next read finds its end.
    bool closedByService() {
        std::uint8_t byte = 0;
        return readable() && ::recv(socket_.get(), &byte, 1, 0) == 0;
    }

  private:
    bool readable() {
        pollfd watched{socket_.get(), POLLIN, 0};
        return ::poll(&watched, 1, 10'000) == 1;
    }

    platform::FileDescriptor socket_;
    bool connected_ = false;
};

}  // namespace zo::zousbsim::testing

#include "platform/shared_machine/service_session.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "kernel/ntstatus.h"
#include "platform/shared_machine/service_location.h"

namespace zo::platform::service {

namespace {

FileDescriptor connectTo(const std::filesystem::path& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string& text = socketPath.native();
    if (text.size() >= sizeof address.sun_path) {
        return {};
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.valid() ||
        ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return {};
    }
    return socket;
}

}  // namespace

std::optional<ServiceSession> ServiceSession::connect(const std::filesystem::path& socket,
                                                      std::int32_t& status) {
    status = STATUS_NO_SUCH_DEVICE;
    FileDescriptor connected = connectTo(socket);
    if (!connected.valid()) {
        return std::nullopt;
    }
    MessageChannel channel(std::move(connected));
    const auto peer = channel.peer();
    if (!checkPrivateFolder(socket.parent_path()).empty() || !peer || peer->user != ::getuid()) {
        status = STATUS_ACCESS_DENIED;
        return std::nullopt;
    }
    ServiceSession session(std::move(channel), 0);
    const std::optional<HelloReply> hello = session.call<HelloReply>(HelloRequest{});
    if (!hello) {
        return std::nullopt;
    }
    if (hello->status != STATUS_SUCCESS || hello->version != kProtocolVersion) {
        status = STATUS_REVISION_MISMATCH;
        return std::nullopt;
    }
    session.servicePid_ = hello->servicePid;
    status = STATUS_SUCCESS;
    return session;
}

}  // namespace zo::platform::service

#include "service/service.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>

#include "platform/shared_machine/service_location.h"
#include "service/connection.h"

namespace zo::zousbsim {

namespace {

using platform::FileDescriptor;

constexpr int kListenBacklog = 16;

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

FileDescriptor listenAt(const std::filesystem::path& path, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path) {
        error = "the socket path " + path.string() + " is too long";
        return {};
    }
    std::memcpy(address.sun_path, path.c_str(), path.native().size() + 1);
    FileDescriptor listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    // Whoever held the lock before is gone, so a socket file left behind is stale.
    ::unlink(path.c_str());
    if (!listener.valid() ||
        ::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(listener.get(), kListenBacklog) != 0) {
        error = systemError("cannot listen at " + path.string());
        return {};
    }
    return listener;
}

}  // namespace

std::unique_ptr<Service> Service::open(MachineHost& host, Settings settings, std::string& error) {
    error = platform::service::checkPrivateFolder(settings.socketPath.parent_path());
    if (!error.empty()) {
        return nullptr;
    }
    const std::string lockPath = platform::service::serviceLockPath(settings.socketPath).string();
    FileDescriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.valid()) {
        error = systemError("cannot open " + lockPath);
        return nullptr;
    }
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        error = "another zousbsim serves " + settings.socketPath.string();
        return nullptr;
    }
    FileDescriptor listener = listenAt(settings.socketPath, error);
    FileDescriptor wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!listener.valid() || !wake.valid()) {
        error = error.empty() ? systemError("eventfd") : error;
        return nullptr;
    }
    return std::make_unique<Service>(ConstructionKey{}, host, std::move(settings), std::move(lock),
                                     std::move(listener), std::move(wake));
}

Service::Service(ConstructionKey, MachineHost& host, Settings settings, FileDescriptor lock,
                 FileDescriptor listener, FileDescriptor wake)
    : host_(host),
      settings_(std::move(settings)),
      lock_(std::move(lock)),
      listener_(std::move(listener)),
      wake_(std::move(wake)) {}

Service::~Service() {
    endAllConnections();
}

void Service::run(int stopFd) {
    std::array<pollfd, 3> watched{pollfd{listener_.get(), POLLIN, 0},
                                  pollfd{wake_.get(), POLLIN, 0}, pollfd{stopFd, POLLIN, 0}};
    while (!stopping_) {
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if ((watched[1].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            static_cast<void>(::read(wake_.get(), &count, sizeof count));
            reapFinished();
        }
        if ((watched[2].revents & POLLIN) != 0) {
            break;
        }
        if ((watched[0].revents & POLLIN) != 0) {
            FileDescriptor socket(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (socket.valid()) {
                admit(std::move(socket));
            }
        }
    }
    endAllConnections();
}

void Service::requestStop() {
    stopping_ = true;
    wake();
}

void Service::wake() {
    const std::uint64_t one = 1;
    static_cast<void>(::write(wake_.get(), &one, sizeof one));
}

void Service::admit(FileDescriptor socket) {
    platform::service::MessageChannel channel(std::move(socket));
    const auto peer = channel.peer();
    std::lock_guard lock(connectionsMutex_);
    // Another user's process, or one too many: the connection closes before anything is read.
    if (!peer || peer->user != settings_.allowedUser ||
        connections_.size() >= settings_.maxConnections) {
        return;
    }
    connections_.push_back(std::make_unique<Connection>(*this, host_, std::move(channel),
                                                        nextConnection_++, peer->process));
}

void Service::reapFinished() {
    std::list<std::unique_ptr<Connection>> finished;
    {
        std::lock_guard lock(connectionsMutex_);
        for (auto it = connections_.begin(); it != connections_.end();) {
            auto next = std::next(it);
            if ((*it)->finished()) {
                finished.splice(finished.end(), connections_, it);
            }
            it = next;
        }
    }
    // Their threads are done, so destroying them waits for nothing.
}

void Service::endAllConnections() {
    if (std::exchange(ended_, true)) {
        return;
    }
    // No one new gets in: a client still waiting to be accepted sees its connection refused.
    listener_ = FileDescriptor();
    ::unlink(settings_.socketPath.c_str());
    std::list<std::unique_ptr<Connection>> all;
    {
        std::lock_guard lock(connectionsMutex_);
        all.swap(connections_);
    }
    for (const auto& connection : all) {
        connection->shutdown();
    }
    all.clear();  // each waits for its thread, which closes the connection's handle
}

protocol::StatusReply Service::status() {
    protocol::StatusReply reply;
    reply.hubs = host_.hubs();
    {
        std::lock_guard lock(connectionsMutex_);
        for (const auto& connection : connections_) {
            if (auto handle = connection->openHandle()) {
                reply.handles.push_back(std::move(*handle));
            }
        }
    }
    reply.capturePath = host_.machine().capturePath();
    return reply;
}

bool Service::waitUntil(const std::function<bool(const protocol::StatusReply&)>& condition,
                        std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(changeMutex_);
    while (true) {
        const std::uint64_t seen = generation_;
        lock.unlock();
        const bool holds = condition(status());
        lock.lock();
        if (holds) {
            return true;
        }
        if (!changed_.wait_until(lock, deadline, [&] { return generation_ != seen; })) {
            return false;
        }
    }
}

void Service::changed() {
    {
        std::lock_guard lock(changeMutex_);
        ++generation_;
    }
    changed_.notify_all();
    wake();
}

}  // namespace zo::zousbsim

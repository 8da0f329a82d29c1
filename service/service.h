#pragma once
// zousbsim's server: it listens on the Unix-domain socket in the user's private folder, admits
// connections from processes of its own user only, and serves each connection on a thread of its
// own, so a slow or stuck client holds up nobody but itself. Each connection may open one handle
// on a device of the shared machine; when the connection ends, however its process ended, the
// handle is closed in the driver.

#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "platform/file_descriptor.h"
#include "platform/shared_machine/protocol.h"
#include "service/machine_host.h"

namespace zo::zousbsim {

class Connection;

class Service {
    struct ConstructionKey {
        explicit ConstructionKey() = default;
    };

  public:
    struct Settings {
        std::filesystem::path socketPath;
        uid_t allowedUser = ::getuid();
        std::size_t maxConnections = protocol::kMaxHandles;
    };

    // Takes the socket's lock (one service per socket), replaces a stale socket file and listens.
    // The socket's folder must be private (service_location.h). Null with the reason in `error`.
    static std::unique_ptr<Service> open(MachineHost& host, Settings settings, std::string& error);

    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;
    ~Service();

    // Accepts and serves until a client asks the service to stop, requestStop() is called or
    // `stopFd` becomes readable; then ends every connection (closing its handle in the driver,
    // after the request it is carrying completes) and removes the socket.
    void run(int stopFd = -1);
    // From any thread.
    void requestStop();

    // Hubs, open handles with their processes, and the capture.
    protocol::StatusReply status();
    // Waits until `condition` holds for the status, at most `timeout`.
    bool waitUntil(const std::function<bool(const protocol::StatusReply&)>& condition,
                   std::chrono::milliseconds timeout);

    // Called by connections: a handle opened or closed, a hub came or went, a connection ended.
    void changed();

    Service(ConstructionKey, MachineHost& host, Settings settings, platform::FileDescriptor lock,
            platform::FileDescriptor listener, platform::FileDescriptor wake);

  private:
    void admit(platform::FileDescriptor socket);
    void reapFinished();
    void endAllConnections();
    void wake();

    MachineHost& host_;
    const Settings settings_;
    platform::FileDescriptor lock_;
    platform::FileDescriptor listener_;
    platform::FileDescriptor wake_;  // an eventfd: stop asked for, or a connection ended
    std::atomic<bool> stopping_ = false;
    bool ended_ = false;

    std::mutex connectionsMutex_;
    std::list<std::unique_ptr<Connection>> connections_;
    std::uint32_t nextConnection_ = 1;

    std::mutex changeMutex_;
    std::condition_variable changed_;
    std::uint64_t generation_ = 0;
};

}  // namespace zo::zousbsim

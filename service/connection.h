#pragma once
// One client connection of zousbsim, served on its own thread: the version agreed first, then
// requests answered in order. A connection may open one handle on a device; I/O control on it
// runs in the kernel stand-in as the client's own request would, with the transfer method's
// buffer semantics kept. A message that does not fit the protocol ends this connection only.
// However the connection ends, its handle is closed in the driver and its recording discarded;
// a stream of isochronous packets the handle started and did not stop is stopped first.

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "kernel/io_manager.h"
#include "platform/shared_machine/message_channel.h"
#include "platform/shared_machine/protocol.h"
#include "service/machine_host.h"

namespace zo::zousbsim {

class Service;

class Connection {
  public:
    Connection(Service& service, MachineHost& host, platform::service::MessageChannel channel,
               std::uint32_t id, pid_t process);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();  // ends the connection and waits for its thread

    // Ends the connection from the service's side; its thread finishes the request it carries.
    void shutdown() { channel_.shutdown(); }
    bool finished() const { return finished_; }
    // The open handle, if any.
    std::optional<protocol::HandleEntry> openHandle() const;

  private:
    void serve();
    bool greet();
    void closeHandle();

    // One method per request; each answers false when the reply could not be sent.
    bool handle(const protocol::HelloRequest&);
    bool handle(const protocol::OpenRequest& request);
    bool handle(const protocol::IoControlRequest& request);
    bool handle(const protocol::CloseRequest&);
    bool handle(const protocol::StatusRequest&);
    bool handle(const protocol::PlugRequest& request);
    bool handle(const protocol::UnplugRequest& request);
    bool handle(const protocol::RecordStartRequest& request);
    bool handle(const protocol::RecordStopRequest&);
    bool handle(const protocol::CaptureRequest& request);
    bool handle(const protocol::StopRequest&);

    Service& service_;
    MachineHost& host_;
    platform::service::MessageChannel channel_;
    const std::uint32_t id_;
    const pid_t process_;

    mutable std::mutex handleMutex_;  // the handle's description, read by status requests
    std::shared_ptr<kernel::OpenFile> file_;
    protocol::HandleEntry description_;
    bool streaming_ = false;  // the handle started a stream and has not stopped it

    std::atomic<bool> finished_ = false;
    std::thread thread_;
};

}  // namespace zo::zousbsim

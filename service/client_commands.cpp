// The commands that talk to a running service: stop, status, plug, unplug, capture.

#include <fcntl.h>
#include <sys/file.h>

#include <chrono>
#include <thread>

#include "kernel/ntstatus.h"
#include "platform/file_descriptor.h"
#include "platform/shared_machine/service_location.h"
#include "platform/shared_machine/service_session.h"
#include "service/commands.h"
#include "service/status_text.h"

namespace zo::zousbsim {

namespace {

namespace protocol = platform::service;
using platform::service::ServiceSession;

constexpr auto kStopLimit = std::chrono::seconds(10);
constexpr auto kStopPoll = std::chrono::milliseconds(10);

std::optional<ServiceSession> connectOrReport(const std::filesystem::path& socket,
                                              std::ostream& err) {
    std::int32_t status = 0;
    std::optional<ServiceSession> session = ServiceSession::connect(socket, status);
    if (!session) {
        err << "zousbsim: "
            << (status == STATUS_NO_SUCH_DEVICE ? "not running (no service at "
                                                : "cannot use the service at ")
            << socket.string() << (status == STATUS_NO_SUCH_DEVICE ? ")" : ": ")
            << (status == STATUS_NO_SUCH_DEVICE ? "" : kernel::statusName(status)) << '\n';
    }
    return session;
}

int lost(std::ostream& err) {
    err << "zousbsim: the service went away\n";
    return kExitFailure;
}

}  // namespace

int stopService(const std::filesystem::path& socket, std::ostream& out, std::ostream& err) {
    std::int32_t status = 0;
    std::optional<ServiceSession> session = ServiceSession::connect(socket, status);
    if (!session) {
        out << "zousbsim: not running\n";
        return kExitSuccess;
    }
    if (!session->call<protocol::StopReply>(protocol::StopRequest{})) {
        return lost(err);
    }
    // The service holds its lock until its process is gone, after it closed every handle and
    // unplugged its hubs; wait for that, within a bound.
    const platform::FileDescriptor lock(
        ::open(platform::service::serviceLockPath(socket).c_str(), O_RDONLY | O_CLOEXEC));
    const auto deadline = std::chrono::steady_clock::now() + kStopLimit;
    while (lock.valid() && ::flock(lock.get(), LOCK_SH | LOCK_NB) != 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            err << "zousbsim: the service (process " << session->servicePid()
                << ") is still ending\n";
            return kExitFailure;
        }
        std::this_thread::sleep_for(kStopPoll);
    }
    out << "zousbsim: stopped\n";
    return kExitSuccess;
}

int showStatus(ServiceSession& session, const std::filesystem::path& socket, std::ostream& out,
               std::ostream& err) {
    const auto status = session.call<protocol::StatusReply>(protocol::StatusRequest{});
    if (!status) {
        return lost(err);
    }
    out << "zousbsim process " << session.servicePid() << " at " << socket.string() << "\n\n";
    printStatus(*status, out);
    return kExitSuccess;
}

int plugHub(ServiceSession& session, const Command& command, std::ostream& out, std::ostream& err) {
    const auto plugged = session.call<protocol::PlugReply>(protocol::PlugRequest{command.entry});
    if (!plugged) {
        return lost(err);
    }
    if (!plugged->error.empty()) {
        err << "zousbsim: " << plugged->error << '\n';
        return kExitFailure;
    }
    out << "Plugged in on port " << plugged->port;
    if (!NT_SUCCESS(plugged->added)) {
        out << ", but no driver instance took it (" << kernel::statusName(plugged->added) << ")\n";
        return kExitFailure;
    }
    if (!NT_SUCCESS(plugged->started)) {
        out << ", but it failed to start (" << kernel::statusName(plugged->started) << ")\n";
        return kExitFailure;
    }
    const auto status = session.call<protocol::StatusReply>(protocol::StatusRequest{});
    const std::vector<protocol::HubEntry> hubs =
        status ? status->hubs : std::vector<protocol::HubEntry>{};
    for (const protocol::HubEntry& hub : hubs) {
        if (hub.port == plugged->port && !hub.device.empty()) {
            out << " as " << hub.device;
        }
    }
    out << '\n';
    return kExitSuccess;
}

int unplugHub(ServiceSession& session, const Command& command, std::ostream& out,
              std::ostream& err) {
    const auto unplugged =
        session.call<protocol::UnplugReply>(protocol::UnplugRequest{command.port});
    if (!unplugged) {
        return lost(err);
    }
    if (!NT_SUCCESS(unplugged->status)) {
        err << "zousbsim: no hub on port " << command.port << '\n';
        return kExitFailure;
    }
    out << "Unplugged the hub on port " << command.port << '\n';
    return kExitSuccess;
}

int setCapture(ServiceSession& session, const Command& command, std::ostream& out,
               std::ostream& err) {
    // The service runs elsewhere: a file named relative to here means nothing there.
    const std::string file = command.captureFile.empty()
                                 ? std::string{}
                                 : std::filesystem::absolute(command.captureFile).string();
    const auto reply = session.call<protocol::CaptureReply>(protocol::CaptureRequest{file});
    if (!reply) {
        return lost(err);
    }
    if (!NT_SUCCESS(reply->status)) {
        err << "zousbsim: " << reply->error << '\n';
        return kExitFailure;
    }
    out << (file.empty() ? "Capture stopped\n"
                         : "Capturing every USB transfer into " + file + '\n');
    return kExitSuccess;
}

int runCommand(const Command& command, std::ostream& out, std::ostream& err) {
    if (command.kind == CommandKind::Help) {
        printUsage(out);
        return kExitSuccess;
    }
    const auto socket = platform::service::serviceSocketPath();
    if (!socket) {
        err << "zousbsim: ZOUSB_SERVICE is set and empty, which means no service\n";
        return kExitFailure;
    }
    switch (command.kind) {
        case CommandKind::Start:
            return startService(*socket, out, err);
        case CommandKind::Run:
            return runService(*socket, command.readyFd, err);
        case CommandKind::Stop:
            return stopService(*socket, out, err);
        default:
            break;
    }
    std::optional<ServiceSession> session = connectOrReport(*socket, err);
    if (!session) {
        return kExitFailure;
    }
    switch (command.kind) {
        case CommandKind::Status:
            return showStatus(*session, *socket, out, err);
        case CommandKind::Plug:
            return plugHub(*session, command, out, err);
        case CommandKind::Unplug:
            return unplugHub(*session, command, out, err);
        default:
            return setCapture(*session, command, out, err);
    }
}

}  // namespace zo::zousbsim

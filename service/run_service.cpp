// zousbsim run: the service in the foreground, hosting the machine of the environment.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "kernel/machine.h"
#include "platform/file_descriptor.h"
#include "platform/shared_machine/service_location.h"
#include "service/commands.h"
#include "service/service.h"

namespace zo::zousbsim {

namespace {

// Tells the starter (zousbsim start), or else the user, how starting went.
class StartReport {
  public:
    StartReport(std::optional<int> readyFd, std::ostream& err)
        : fd_(readyFd.value_or(-1)), err_(err) {}

    int fail(const std::string& why) {
        if (fd_.valid()) {
            send(why + '\n');
        } else {
            err_ << "zousbsim: " << why << '\n';
        }
        return kExitFailure;
    }
    void ready() {
        if (fd_.valid()) {
            send("ready\n");
        }
    }

  private:
    void send(const std::string& text) {
        static_cast<void>(::write(fd_.get(), text.data(), text.size()));
        fd_ = platform::FileDescriptor();
    }

    platform::FileDescriptor fd_;
    std::ostream& err_;
};

}  // namespace

int runService(const std::filesystem::path& socket, std::optional<int> readyFd, std::ostream& err) {
    StartReport report(readyFd, err);
    if (const std::string problem = platform::service::preparePrivateFolder(socket.parent_path());
        !problem.empty()) {
        return report.fail(problem);
    }
    // Blocked before any thread starts, so that only the signal descriptor sees them; a peer
    // that went away never raises SIGPIPE.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    const platform::FileDescriptor stopSignals(::signalfd(-1, &signals, SFD_CLOEXEC));

    std::unique_ptr<kernel::Machine> machine = kernel::Machine::fromEnvironment();
    if (!machine->configurationError().empty()) {
        return report.fail("the simulated machine is not as configured: " +
                           machine->configurationError());
    }
    if (machine->bus().ports().size() > protocol::kMaxHubs) {
        return report.fail("ZOUSB_DEVICES lists more than " + std::to_string(protocol::kMaxHubs) +
                           " hubs");
    }
    MachineHost host(*machine);
    std::string error;
    std::unique_ptr<Service> service = Service::open(host, {socket}, error);
    if (!service) {
        return report.fail(error);
    }
    report.ready();
    service->run(stopSignals.get());
    // The service's lock goes last, so that whoever waits for it finds the hubs unplugged.
    machine.reset();
    return kExitSuccess;
}

}  // namespace zo::zousbsim

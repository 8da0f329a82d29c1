#pragma once
// Test support: a zousbsim service inside the test's process, on a machine of the test's own
// (zousbdrv loaded, transfers completed by the bus thread), listening in a private temporary
// folder of its own, so that no two tests or test runs ever meet.

#include <memory>
#include <thread>

#include "hub/simulated_hub.h"
#include "kernel/machine.h"
#include "platform/shared_machine/service_session.h"
#include "platform/tests/temporary_folder.h"
#include "service/machine_host.h"
#include "service/service.h"

extern "C" NTSTATUS DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath);

namespace zo::zousbsim::testing {

class RunningService {
  public:
    explicit RunningService(Service::Settings settings = {}) {
        settings.socketPath = folder_.path() / "zousbsim.socket";
        std::string error;
        service_ = Service::open(host_, settings, error);
        if (service_) {
            runner_ = std::thread([this] { service_->run(); });
        }
        error_ = error;
    }
    ~RunningService() {
        if (service_) {
            service_->requestStop();
            runner_.join();
        }
    }
    RunningService(const RunningService&) = delete;
    RunningService& operator=(const RunningService&) = delete;

    bool serving() const { return service_ != nullptr; }
    const std::string& error() const { return error_; }
    kernel::Machine& machine() { return machine_; }
    Service& service() { return *service_; }
    std::filesystem::path socket() const { return folder_.path() / "zousbsim.socket"; }
    // What a client process needs to find this service.
    std::string environmentVariable() const { return "ZOUSB_SERVICE=" + socket().string(); }

    // A hub plugged in and started; its port.
    int plug(std::shared_ptr<usb::UsbDevice> hub = std::make_shared<hub::SimulatedHub>()) {
        return machine_.pnp().plugIn(std::move(hub)).port;
    }

    std::optional<platform::service::ServiceSession> connect() {
        std::int32_t status = 0;
        return platform::service::ServiceSession::connect(socket(), status);
    }

  private:
    platform::testing::TemporaryFolder folder_;
    kernel::Machine machine_{
        kernel::MachineOptions{DriverEntry, kernel::BusCompletion::Deferred, 0x600, {}, {}}};
    MachineHost host_{machine_};
    std::unique_ptr<Service> service_;
    std::string error_;
    std::thread runner_;
};

}  // namespace zo::zousbsim::testing

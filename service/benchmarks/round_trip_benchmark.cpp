// What the shared machine costs a program: one request's round trip through zousbsim (a service
// in another process, as in use), beside the same request on the program's own machine.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "driver/zousb_ioctl.h"
#include "hub/simulated_hub.h"
#include "kernel/machine.h"
#include "platform/embedded_device_handle.h"
#include "platform/shared_machine/service_device_handle.h"
#include "platform/shared_machine/service_session.h"
#include "service/machine_host.h"
#include "service/service.h"

extern "C" NTSTATUS DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath);

namespace {

constexpr const char* kHub = "\\\\.\\ZOUSB-0";
std::filesystem::path socketPath;

zo::kernel::MachineOptions machineOptions() {
    return {DriverEntry, zo::kernel::BusCompletion::ImmediateWhenIdle, 0x600, {}, {}};
}

// The service's process: a machine with one hub, served until the benchmark ends it.
[[noreturn]] void serve() {
    zo::kernel::Machine machine(machineOptions());
    machine.pnp().plugIn(std::make_shared<zo::hub::SimulatedHub>());
    zo::zousbsim::MachineHost host(machine);
    std::string error;
    auto service = zo::zousbsim::Service::open(host, {socketPath}, error);
    if (service) {
        service->run();
    }
    std::_Exit(service ? 0 : 1);
}

const ZOUSB_CONTROL_REQUEST kWriteRegister{1, 2, 0, 0, 0xFB, 0, 0xC010, 0x5A00};

void registerWrites(benchmark::State& state, zo::platform::DeviceHandle& handle) {
    const std::span<const std::uint8_t> input(
        reinterpret_cast<const std::uint8_t*>(&kWriteRegister), sizeof kWriteRegister);
    std::uint8_t acknowledgement = 0;
    for (auto _ : state) {
        const auto result =
            handle.control(IOCTL_ZOUSB_CONTROL_REQUEST, input, {&acknowledgement, 1});
        if (!result.succeeded()) {
            state.SkipWithError("the register write failed");
            break;
        }
    }
}

std::unique_ptr<zo::platform::DeviceHandle> sharedHandle() {
    zo::platform::KernelStatus status = 0;
    return zo::platform::service::openServiceDevice(socketPath, kHub, false, status);
}

// The transport alone: a request the driver answers without the bus.
void sharedDriverVersion(benchmark::State& state) {
    const auto handle = sharedHandle();
    std::array<std::uint8_t, 6> version{};
    for (auto _ : state) {
        handle->control(IOCTL_ZOUSB_GET_DRIVER_VERSION, {}, version);
    }
}
BENCHMARK(sharedDriverVersion)->UseRealTime();

// One register write, a vendor control transfer to the hub, through the service.
void sharedRegisterWrite(benchmark::State& state) {
    registerWrites(state, *sharedHandle());
}
BENCHMARK(sharedRegisterWrite)->UseRealTime();

// The same write on the program's own machine.
void embeddedRegisterWrite(benchmark::State& state) {
    zo::kernel::Machine machine(machineOptions());
    machine.pnp().plugIn(std::make_shared<zo::hub::SimulatedHub>());
    zo::platform::KernelStatus status = 0;
    registerWrites(state, *zo::platform::openEmbeddedDevice(kHub, false, status));
}
BENCHMARK(embeddedRegisterWrite)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    char folder[] = "/tmp/zousbsim-benchmark-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        return 1;
    }
    socketPath = std::filesystem::path(folder) / "zousbsim.socket";
    // Forked before any thread exists; the service gets a process of its own.
    const pid_t service = ::fork();
    if (service == 0) {
        serve();
    }
    std::int32_t status = 0;
    for (int attempt = 0;
         attempt < 500 && !zo::platform::service::ServiceSession::connect(socketPath, status);
         ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ::kill(service, SIGTERM);
    ::waitpid(service, nullptr, 0);
    std::filesystem::remove_all(folder);
    return 0;
}

// What one register write costs through the whole stack (library, device file, I/O manager,
// driver, USB bus, simulated hub), beside a request that the driver answers itself, and how many
// heap allocations each makes.

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "driver/zousb_ioctl.h"
#include "hub/simulated_hub.h"
#include "include/QuintelDrv.h"
#include "kernel/machine.h"
#include "library/benchmarks/allocation_count.h"
#include "platform/device_file.h"

extern "C" NTSTATUS DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath);

namespace {

using zo::kernel::BusCompletion;

// The output-enable register; writing 0 keeps every output off, so the hub stays idle.
constexpr std::int32_t kOutputEnable = 0x40;

// A machine of its own with one simulated hub, which the library and the device file reach.
zo::kernel::MachineOptions machineOptions(BusCompletion completion, std::string capturePath = {}) {
    return {DriverEntry, completion, 0x600, std::move(capturePath), {}};
}

// Heap allocations per iteration of the benchmark loop, counted in every thread.
class AllocationsPerIteration {
  public:
    explicit AllocationsPerIteration(benchmark::State& state)
        : state_(state), before_(zo::benchmarking::allocationCount()) {}
    AllocationsPerIteration(const AllocationsPerIteration&) = delete;
    AllocationsPerIteration& operator=(const AllocationsPerIteration&) = delete;
    ~AllocationsPerIteration() {
        const auto allocations = static_cast<double>(zo::benchmarking::allocationCount() - before_);
        state_.counters["allocations"] =
            benchmark::Counter(allocations / static_cast<double>(state_.iterations()));
    }

  private:
    benchmark::State& state_;
    std::uint64_t before_;
};

// IOCTL_ZOUSB_GET_DRIVER_VERSION through the device file: the I/O manager and the driver, no bus.
void driverVersion(benchmark::State& state) {
    zo::kernel::Machine machine(machineOptions(BusCompletion::ImmediateWhenIdle));
    machine.pnp().plugIn(std::make_shared<zo::hub::SimulatedHub>());
    zo::platform::KernelStatus status = 0;
    std::optional<zo::platform::DeviceFile> file =
        zo::platform::DeviceFile::open("\\\\.\\ZOUSB-0", status);
    if (!file) {
        state.SkipWithError("the simulated hub did not open");
        return;
    }
    std::array<std::uint8_t, sizeof(ZOUSB_DRIVER_VERSION)> version{};
    const AllocationsPerIteration allocations(state);
    for (auto _ : state) {
        if (!file->control(IOCTL_ZOUSB_GET_DRIVER_VERSION, {}, version).succeeded()) {
            state.SkipWithError("the driver did not answer its version");
            break;
        }
    }
}
BENCHMARK(driverVersion)->UseRealTime();

// QnWriteRegister: one vendor control transfer to the hub, on a bus that completes transfers as
// `completion` says, with a usbmon capture to `capturePath` when one is given.
void registerWrite(benchmark::State& state, BusCompletion completion, std::string capturePath) {
    zo::kernel::Machine machine(machineOptions(completion, capturePath));
    machine.pnp().plugIn(std::make_shared<zo::hub::SimulatedHub>());
    QnLoadDriver();
    QnHandle handle = nullptr;
    if (QnOpenDevice(1, &handle) != QN_OK) {
        state.SkipWithError("the simulated hub did not open");
        return;
    }
    {
        const AllocationsPerIteration allocations(state);
        for (auto _ : state) {
            if (QnWriteRegister(handle, kOutputEnable, 0) != QN_OK) {
                state.SkipWithError("the register write failed");
                break;
            }
        }
    }
    QnCloseDevice(handle);
    QnUnloadDriver();
}
BENCHMARK_CAPTURE(registerWrite, when_idle, BusCompletion::ImmediateWhenIdle, std::string{})
    ->UseRealTime();
BENCHMARK_CAPTURE(registerWrite, bus_thread, BusCompletion::Deferred, std::string{})->UseRealTime();
BENCHMARK_CAPTURE(registerWrite, captured, BusCompletion::ImmediateWhenIdle,
                  std::string{"/dev/null"})
    ->UseRealTime();

}  // namespace

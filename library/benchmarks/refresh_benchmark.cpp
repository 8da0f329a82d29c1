// What a settings edit costs: compiling one channel, and the refresh that uploads it through the
// whole stack (library, driver, kernel stand-in, simulated hub).

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>

#include "hub/testing/observed_hub.h"
#include "include/QuintelDrv.h"
#include "kernel/machine.h"
#include "library/compiler/program_builders.h"

extern "C" NTSTATUS DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath);

namespace {

void compileOneChannel(benchmark::State& state) {
    zo::quinteldrv::ChannelBlock block{};
    block[zo::quinteldrv::kHighTimeWord] = 500;
    block[zo::quinteldrv::kLowTimeWord] = 1500;
    block[zo::quinteldrv::kGateSourceWord] = 1;
    block[zo::quinteldrv::kAuxSourceWord] = 2;
    block[zo::quinteldrv::kModeWord] = 3;
    zo::quinteldrv::QnProgram program;
    for (auto _ : state) {
        zo::quinteldrv::buildChannelProgram(block, program);
        benchmark::DoNotOptimize(program);
    }
}
BENCHMARK(compileOneChannel);

// One edit of one channel, then the refresh: the library compares eight blocks, compiles the
// changed channel and uploads it register by register, each write one control transfer.
void refreshAfterOneEdit(benchmark::State& state) {
    zo::kernel::Machine machine(zo::kernel::MachineOptions{
        DriverEntry, zo::kernel::BusCompletion::Deferred, 0x600, {}, {}});
    // The register writes (vendor request 0xFB) that reach the hub.
    std::atomic<std::uint64_t> registerWrites = 0;
    machine.pnp().plugIn(std::make_shared<zo::hub::ObservedHub>(
        [&registerWrites](const zo::usb::SetupPacket& setup) {
            if (setup.request == 0xFB) {
                ++registerWrites;
            }
        }));
    QnLoadDriver();
    QnHandle handle = nullptr;
    if (QnOpenDevice(1, &handle) != QN_OK) {
        state.SkipWithError("the simulated hub did not open");
        return;
    }
    QnDeviceSettings settings{};
    settings.size = QN_SETTINGS_SIZE;
    QnReadDeviceSettings(handle, &settings);
    const std::uint64_t before = registerWrites;
    std::uint32_t high = 500;
    for (auto _ : state) {
        high = high == 500 ? 700 : 500;
        QnSetParameter(handle, &settings, 2, QN_PARAM_HIGH_TIME, high);
        if (QnRefreshDeviceSettings(handle, &settings) != QN_OK) {
            state.SkipWithError("refresh failed");
            break;
        }
    }
    const auto writes = static_cast<double>(registerWrites - before);
    state.counters["writes_per_refresh"] =
        benchmark::Counter(writes / static_cast<double>(state.iterations()));
    state.counters["time_per_write"] =
        benchmark::Counter(writes, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    QnCloseDevice(handle);
    QnUnloadDriver();
}
BENCHMARK(refreshAfterOneEdit)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

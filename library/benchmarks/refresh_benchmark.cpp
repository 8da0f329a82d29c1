// What a settings edit costs: compiling one channel, and the refresh that uploads it through the
// whole stack (library, driver, kernel stand-in, simulated hub).

#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>

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

// A kind of edit: the channel's settings before (parameter, value pairs) and the parameter that
// changes between two values on every edit.
struct Edit {
    std::vector<std::pair<int, std::uint32_t>> setting;
    int parameter = 0;
    std::array<std::uint32_t, 2> values{};
};

// Time one control transfer takes on a real USB 2.0 bus: a microframe.
constexpr double kRealBusMillisecondsPerTransfer = 0.125;

// One edit of one channel, then the refresh: the library compares eight blocks, compiles the
// changed channel and uploads it register by register, each write one control transfer, then
// restarts the outputs.
void refreshAfterEdit(benchmark::State& state, const Edit& edit) {
    zo::kernel::Machine machine(zo::kernel::MachineOptions{
        DriverEntry, zo::kernel::BusCompletion::ImmediateWhenIdle, 0x600, {}, {}});
    // The control transfers that reach the hub, and among them the register writes (vendor
    // request 0xFB).
    std::atomic<std::uint64_t> controlTransfers = 0;
    std::atomic<std::uint64_t> registerWrites = 0;
    machine.pnp().plugIn(std::make_shared<zo::hub::ObservedHub>(
        [&controlTransfers, &registerWrites](const zo::usb::SetupPacket& setup) {
            ++controlTransfers;
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
    constexpr int kChannel = 2;
    for (const auto& [parameter, value] : edit.setting) {
        QnSetParameter(handle, &settings, kChannel, parameter, value);
    }
    QnRefreshDeviceSettings(handle, &settings);
    const std::uint64_t transfersBefore = controlTransfers;
    const std::uint64_t writesBefore = registerWrites;
    std::size_t next = 0;
    for (auto _ : state) {
        QnSetParameter(handle, &settings, kChannel, edit.parameter, edit.values[next]);
        next = 1 - next;
        if (QnRefreshDeviceSettings(handle, &settings) != QN_OK) {
            state.SkipWithError("refresh failed");
            break;
        }
    }
    const auto iterations = static_cast<double>(state.iterations());
    const auto transfers = static_cast<double>(controlTransfers - transfersBefore);
    const auto writes = static_cast<double>(registerWrites - writesBefore);
    state.counters["transfers_per_refresh"] = benchmark::Counter(transfers / iterations);
    state.counters["writes_per_refresh"] = benchmark::Counter(writes / iterations);
    state.counters["real_bus_ms_per_refresh"] =
        benchmark::Counter(transfers / iterations * kRealBusMillisecondsPerTransfer);
    state.counters["time_per_write"] =
        benchmark::Counter(writes, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    QnCloseDevice(handle);
    QnUnloadDriver();
}

void asRefresh(benchmark::internal::Benchmark* benchmark) {
    benchmark->Unit(benchmark::kMicrosecond)->UseRealTime();
}

BENCHMARK_CAPTURE(refreshAfterEdit, free_train_high_time, Edit{{}, QN_PARAM_HIGH_TIME, {500, 700}})
    ->Apply(asRefresh);
BENCHMARK_CAPTURE(refreshAfterEdit, free_train_invert, Edit{{}, QN_PARAM_INVERT, {1, 0}})
    ->Apply(asRefresh);
BENCHMARK_CAPTURE(refreshAfterEdit, gated_train_low_time,
                  Edit{{{QN_PARAM_GATE_SOURCE, 1}}, QN_PARAM_LOW_TIME, {500, 700}})
    ->Apply(asRefresh);
BENCHMARK_CAPTURE(refreshAfterEdit, external_clock_high_time,
                  Edit{{{QN_PARAM_MODE, 1}}, QN_PARAM_HIGH_TIME, {5, 7}})
    ->Apply(asRefresh);
BENCHMARK_CAPTURE(refreshAfterEdit, start_stop_delay,
                  Edit{{{QN_PARAM_MODE, 2}, {QN_PARAM_GATE_SOURCE, 1}, {QN_PARAM_AUX_SOURCE, 2}},
                       QN_PARAM_DELAY,
                       {50, 70}})
    ->Apply(asRefresh);
BENCHMARK_CAPTURE(refreshAfterEdit, rate_switch_high_time2,
                  Edit{{{QN_PARAM_MODE, 3}, {QN_PARAM_GATE_SOURCE, 1}, {QN_PARAM_AUX_SOURCE, 2}},
                       QN_PARAM_HIGH_TIME2,
                       {50, 70}})
    ->Apply(asRefresh);
BENCHMARK_CAPTURE(refreshAfterEdit, burst_pulse_count,
                  Edit{{{QN_PARAM_MODE, 4}, {QN_PARAM_GATE_SOURCE, 1}},
                       QN_PARAM_PULSE_COUNT,
                       {5, 7}})
    ->Apply(asRefresh);

}  // namespace

BENCHMARK_MAIN();

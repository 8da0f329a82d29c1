// How fast the hub simulates its sequencers: simulated seconds per wall second with all eight
// outputs running, at 100 kHz (delays of 250 ticks, passed over in one step each) and at
// 12.5 MHz (phases of single ticks: whole repetitions passed over, or tick by tick while
// recording), with and without waveform recording.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>

#include "hub/hub_clock.h"
#include "hub/simulated_hub.h"
#include "hub/testing/register_access.h"
#include "hub/tests/library_programs.h"
#include "library/compiler/program_upload.h"

namespace zo::hub {
namespace {

constexpr std::uint64_t kSimulatedSecond = 1'000'000'000;

// Eight channels running the internal train of `high` + `low` ticks, all enabled.
void startEightTrains(SimulatedHub& hub, std::uint32_t high, std::uint32_t low) {
    const quinteldrv::QnProgram train = test::freeTrainProgram(high, low);
    const auto write = [&hub](std::uint8_t reg, std::uint8_t value) {
        return writeRegister(hub, reg, value);
    };
    for (std::uint8_t channel = 0; channel < 8; ++channel) {
        for (const quinteldrv::RegisterWrite& registerWrite :
             quinteldrv::uploadWrites(train, channel)) {
            write(registerWrite.reg, registerWrite.value);
        }
    }
    restartOutputs(write, 0xFF, {});
}

void simulateEightOutputs(benchmark::State& state, std::uint32_t high, std::uint32_t low,
                          bool recording) {
    const auto clock = std::make_shared<ManualHubClock>();
    SimulatedHub hub({}, clock);
    startEightTrains(hub, high, low);
    const std::uint64_t step = static_cast<std::uint64_t>(state.range(0));
    std::uint64_t simulated = 0;
    for (auto _ : state) {
        if (recording) {
            hub.startRecording();
        }
        clock->advance(step);
        // Any request makes the hub catch up with its clock.
        benchmark::DoNotOptimize(readRegister(hub, kOutputEnable));
        if (recording) {
            benchmark::DoNotOptimize(hub.stopRecording());
        }
        simulated += step;
    }
    state.counters["simulated_s_per_wall_s"] = benchmark::Counter(
        static_cast<double>(simulated) / kSimulatedSecond, benchmark::Counter::kIsRate);
}

void EightOutputs100kHz(benchmark::State& state) {
    simulateEightOutputs(state, 250, 250, false);
}
void EightOutputs100kHzRecorded(benchmark::State& state) {
    simulateEightOutputs(state, 250, 250, true);
}
void EightOutputs12MHz(benchmark::State& state) {
    simulateEightOutputs(state, 2, 2, false);
}
void EightOutputs12MHzRecorded(benchmark::State& state) {
    simulateEightOutputs(state, 2, 2, true);
}

// Each iteration simulates 100 ms (a request every 100 ms) or one second.
BENCHMARK(EightOutputs100kHz)->Arg(100'000'000)->Arg(1'000'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(EightOutputs100kHzRecorded)->Arg(100'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(EightOutputs12MHz)->Arg(100'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(EightOutputs12MHzRecorded)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zo::hub

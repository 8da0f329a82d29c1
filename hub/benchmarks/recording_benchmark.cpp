// Recording speed: simulated seconds recorded per wall second (start, let the clock run, stop:
// the Waveform in time order), and writing a recording as a Value Change Dump.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ostream>
#include <streambuf>

#include "hub/simulated_hub.h"
#include "hub/testing/workloads.h"
#include "hub/vcd_writer.h"

namespace zo::hub::workloads {
namespace {

void Recording(benchmark::State& state, const Workload& workload, const HubOptions& options) {
    RunningHub running(workload, options);
    if (!running.started()) {
        state.SkipWithError("the workload did not load");
        return;
    }
    const auto step = static_cast<std::uint64_t>(state.range(0));
    std::uint64_t transitions = 0;
    for (auto _ : state) {
        running.hub().startRecording();
        running.advance(step);
        const Waveform waveform = running.hub().stopRecording();
        transitions += waveform.transitions.size();
    }
    state.counters["simulated_s_per_wall_s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * step) / kSimulatedSecond,
                           benchmark::Counter::kIsRate);
    state.counters["transitions_per_wall_s"] =
        benchmark::Counter(static_cast<double>(transitions), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(Recording, eight_100kHz, sameTrains(250, 250), HubOptions{})
    ->Arg(kSimulatedSecond)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
// Single-tick phases: 130 million transitions per simulated second.
BENCHMARK_CAPTURE(Recording, prime_periods, primePeriods(), HubOptions{})
    ->Arg(10 * kSimulatedMillisecond)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Recording, gated_fast_inputs_measuring, gatedWithMeasurement(), kFastInputs)
    ->Arg(10 * kSimulatedMillisecond)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Counts the bytes written to it and keeps none.
class CountingBuffer final : public std::streambuf {
  public:
    std::uint64_t bytes() const { return bytes_; }

  protected:
    std::streamsize xsputn(const char*, std::streamsize count) override {
        bytes_ += static_cast<std::uint64_t>(count);
        return count;
    }
    int_type overflow(int_type character) override {
        ++bytes_;
        return traits_type::not_eof(character);
    }

  private:
    std::uint64_t bytes_ = 0;
};

void VcdWriting(benchmark::State& state) {
    RunningHub running(sameTrains(250, 250));
    if (!running.started()) {
        state.SkipWithError("the workload did not load");
        return;
    }
    running.hub().startRecording();
    running.advance(kSimulatedSecond);
    const Waveform waveform = running.hub().stopRecording();
    CountingBuffer buffer;
    std::ostream out(&buffer);
    for (auto _ : state) {
        writeVcd(out, waveform);
    }
    state.counters["simulated_s_per_wall_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["bytes_per_wall_s"] =
        benchmark::Counter(static_cast<double>(buffer.bytes()), benchmark::Counter::kIsRate);
}
BENCHMARK(VcdWriting)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zo::hub::workloads

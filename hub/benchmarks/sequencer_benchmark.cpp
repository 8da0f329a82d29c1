// Whether the hub keeps real time: a request (a host's refresh) every 1 ms, 100 ms or 1 s of
// simulated time, with all eight outputs running. Rates are simulated seconds per wall second
// (1 or more keeps real time); the time per iteration is the wall time one request takes.
//
// The cases: eight 100 kHz trains (delays of 250 ticks), eight 12.5 MHz trains (single-tick
// phases), eight trains of single-tick pulses with the prime periods 2 to 19 ticks (together they
// repeat only every 0.19 s), and those trains gated by inputs A and B (1 MHz and 3 MHz, then
// frequencies that are no round number) with a measurement of input A started afresh on every
// request.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "hub/simulated_hub.h"
#include "hub/testing/workloads.h"

namespace zo::hub::workloads {
namespace {

void Requests(benchmark::State& state, const Workload& workload, const HubOptions& options) {
    RunningHub running(workload, options);
    if (!running.started()) {
        state.SkipWithError("the workload did not load");
        return;
    }
    const auto step = static_cast<std::uint64_t>(state.range(0));
    for (auto _ : state) {
        running.advance(step);
        if (!refresh(running.hub(), workload.measuredSource)) {
            state.SkipWithError("a request failed");
            break;
        }
    }
    state.counters["simulated_s_per_wall_s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * step) / kSimulatedSecond,
                           benchmark::Counter::kIsRate);
}

void everyMillisecondToSecond(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(kSimulatedMillisecond)
        ->Arg(100 * kSimulatedMillisecond)
        ->Arg(kSimulatedSecond)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(Requests, eight_100kHz, sameTrains(250, 250), HubOptions{})
    ->Apply(everyMillisecondToSecond);
BENCHMARK_CAPTURE(Requests, eight_12_5MHz, sameTrains(2, 2), HubOptions{})
    ->Apply(everyMillisecondToSecond);
BENCHMARK_CAPTURE(Requests, prime_periods, primePeriods(), HubOptions{})
    ->Apply(everyMillisecondToSecond);
BENCHMARK_CAPTURE(Requests, gated_fast_inputs_measuring, gatedWithMeasurement(), kFastInputs)
    ->Apply(everyMillisecondToSecond);
// Inputs whose periods are no round number of ticks repeat only after very many ticks: the
// groups they gate pass over their own repetitions while the inputs stay as they are (slow
// inputs), and go from input change to input change through the stretches they remember (fast
// ones: about 8 500 changes per simulated millisecond here).
BENCHMARK_CAPTURE(Requests, gated_slow_odd_inputs_measuring, gatedWithMeasurement(),
                  HubOptions{.inputAHz = 1'234.5, .inputBHz = 2'999.9})
    ->Apply(everyMillisecondToSecond);
BENCHMARK_CAPTURE(Requests, gated_fast_odd_inputs_measuring, gatedWithMeasurement(),
                  HubOptions{.inputAHz = 1'234'567.8, .inputBHz = 2'999'999.9})
    ->Apply(everyMillisecondToSecond);

}  // namespace
}  // namespace zo::hub::workloads

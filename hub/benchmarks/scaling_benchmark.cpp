// How the simulation scales on one machine: 1, 4 and 8 hubs at once (a thread each), 1, 2 and 4
// threads asking one hub that follows the wall clock, and two processes each simulating a hub.
// The hubs run eight single-tick trains of the prime periods 2 to 19 ticks and are asked every
// millisecond of simulated time. Rates are per wall second, summed over the threads.

#include <benchmark/benchmark.h>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <memory>

#include "hub/hub_clock.h"
#include "hub/simulated_hub.h"
#include "hub/testing/workloads.h"

namespace zo::hub::workloads {
namespace {

// A hub of its own on a manual clock, asked every simulated millisecond.
class ManualHub {
  public:
    bool loaded() const { return running_.started(); }
    bool nextMillisecond() {
        running_.advance(kSimulatedMillisecond);
        return refresh(running_.hub(), 0);
    }

  private:
    RunningHub running_{primePeriods()};
};

void reportSimulated(benchmark::State& state) {
    state.counters["simulated_s_per_wall_s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kSimulatedMillisecond) / kSimulatedSecond,
        benchmark::Counter::kIsRate);
}

void Hubs(benchmark::State& state) {
    ManualHub hub;
    if (!hub.loaded()) {
        state.SkipWithError("the workload did not load");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(hub.nextMillisecond());
    }
    reportSimulated(state);
}
BENCHMARK(Hubs)->Threads(1)->Threads(4)->Threads(8)->UseRealTime();

std::unique_ptr<SimulatedHub> sharedHub;

void ThreadsOnOneHub(benchmark::State& state) {
    if (state.thread_index() == 0) {
        sharedHub =
            std::make_unique<SimulatedHub>(HubOptions{}, std::make_shared<SteadyHubClock>());
        if (!start(*sharedHub, primePeriods())) {
            state.SkipWithError("the workload did not load");
        }
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(refresh(*sharedHub, 0));
    }
    state.counters["requests_per_wall_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    if (state.thread_index() == 0) {
        sharedHub.reset();
    }
}
BENCHMARK(ThreadsOnOneHub)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

// The rate of this process while a second process simulates a hub of its own as fast as it can.
void TwoProcesses(benchmark::State& state) {
    std::array<int, 2> running{};
    if (pipe(running.data()) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    const pid_t other = fork();
    if (other == 0) {
        // The second process: simulates until the first closes the pipe.
        close(running[1]);
        ManualHub hub;
        pollfd closed{running[0], POLLIN, 0};
        while (hub.loaded() && poll(&closed, 1, 0) == 0) {
            for (int request = 0; request < 100; ++request) {
                hub.nextMillisecond();
            }
        }
        _exit(0);
    }
    close(running[0]);
    ManualHub hub;
    for (auto _ : state) {
        benchmark::DoNotOptimize(hub.nextMillisecond());
    }
    close(running[1]);
    if (other > 0) {
        waitpid(other, nullptr, 0);
    }
    reportSimulated(state);
}
BENCHMARK(TwoProcesses)->UseRealTime();

}  // namespace
}  // namespace zo::hub::workloads

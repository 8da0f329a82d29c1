// The hub's shortcuts (groups of sequencers simulated apart, stretches and whole repetitions
// passed over, recordings kept as runs) change nothing a host can see: a hub asked once after a
// long stretch records, shows and measures exactly what a hub asked on every tick does.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "hub/register_map.h"
#include "hub/simulated_hub.h"
#include "hub/testing/register_access.h"
#include "hub/testing/workloads.h"

namespace zo::hub::test {
namespace {

constexpr std::uint64_t kTick = kTickNanoseconds;

struct Case {
    std::string name;
    workloads::Workload workload;
    HubOptions options;
    std::uint64_t nanoseconds = 0;
    std::size_t maxTransitions = 10'000'000;
    // Every so many ns the measurement is stopped, then started again the next time; 0: never.
    std::uint64_t measurementToggle = 0;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

struct Observed {
    Waveform waveform;
    std::vector<std::optional<std::uint8_t>> registers;  // 0x40, 0x41, 32, 33 at the end
};

// Starts the case's workload and records it, asking the hub every `step` ns and at each of the
// case's measurement stops and starts.
Observed observe(const Case& c, std::uint64_t step) {
    workloads::RunningHub running(c.workload, c.options);
    EXPECT_TRUE(running.started());
    SimulatedHub& hub = running.hub();
    hub.startRecording(c.maxTransitions);
    std::uint64_t toggles = 0;
    for (std::uint64_t done = 0; done < c.nanoseconds;) {
        const std::uint64_t toggle = (toggles + 1) * c.measurementToggle;
        std::uint64_t next = std::min(done + step, c.nanoseconds);
        if (c.measurementToggle != 0) {
            next = std::min(next, toggle);
        }
        running.advance(next - done);
        done = next;
        EXPECT_TRUE(readRegister(hub, kOutputEnable));
        if (c.measurementToggle != 0 && done == toggle) {
            ++toggles;
            EXPECT_TRUE(toggles % 2 == 1
                            ? writeRegister(hub, kMeasurementControl, 0)
                            : workloads::startMeasurement(hub, c.workload.measuredSource));
        }
    }
    Observed observed{hub.stopRecording(), {}};
    for (const std::uint8_t reg :
         {kOutputEnable, kMeasurementControl, kMeasurementResultLow, kMeasurementResultHigh}) {
        observed.registers.push_back(readRegister(hub, reg));
    }
    return observed;
}

// Trains of 10 and 20 ticks gated by inputs whose half periods are a hair under 20 and 10 ticks:
// for a long while the inputs change on every 20th and 10th tick, where whole periods end.
workloads::Workload trainsEndingOnInputChanges() {
    workloads::Workload workload = workloads::gatedWithMeasurement();
    for (std::size_t channel = 0; channel < 8; ++channel) {
        const std::uint32_t period = channel < 4 ? 10 : 20;
        const auto high = static_cast<std::uint32_t>(3 + channel % 4);
        workload.channels[channel][quinteldrv::kHighTimeWord] = high;
        workload.channels[channel][quinteldrv::kLowTimeWord] = period - high;
    }
    return workload;
}

// Pulses of 9 to 16 ticks gated by inputs that change every 38 and 20 ticks or so: the gates
// close and open in the middle of pulses.
workloads::Workload longPulsesCutByGates() {
    workloads::Workload workload = workloads::gatedWithMeasurement();
    for (std::size_t channel = 0; channel < 8; ++channel) {
        workload.channels[channel][quinteldrv::kHighTimeWord] =
            static_cast<std::uint32_t>(9 + channel);
        workload.channels[channel][quinteldrv::kLowTimeWord] =
            static_cast<std::uint32_t>(7 + channel);
    }
    return workload;
}

// Inputs of no round frequency that change every 20 and 8 ticks or so.
constexpr HubOptions kFastOddInputs{.inputAHz = 1'234'567.8, .inputBHz = 2'999'999.9};

void expectSame(const Observed& expected, const Observed& actual) {
    EXPECT_EQ(actual.waveform.startNanoseconds, expected.waveform.startNanoseconds);
    EXPECT_EQ(actual.waveform.endNanoseconds, expected.waveform.endNanoseconds);
    EXPECT_EQ(actual.waveform.truncated, expected.waveform.truncated);
    EXPECT_EQ(actual.waveform.initialLevels, expected.waveform.initialLevels);
    ASSERT_EQ(actual.waveform.transitions.size(), expected.waveform.transitions.size());
    for (std::size_t index = 0; index < expected.waveform.transitions.size(); ++index) {
        ASSERT_EQ(actual.waveform.transitions[index], expected.waveform.transitions[index])
            << "transition " << index;
    }
    EXPECT_EQ(actual.registers, expected.registers);
}

class SimulationShortcuts : public testing::TestWithParam<Case> {};

TEST_P(SimulationShortcuts, ChangeNothingAHostCanSee) {
    const Case& c = GetParam();
    const Observed everyTick = observe(c, kTick);
    ASSERT_FALSE(everyTick.waveform.transitions.empty());
    {
        SCOPED_TRACE("asked once");
        expectSame(everyTick, observe(c, c.nanoseconds));
    }
    {
        SCOPED_TRACE("asked every microsecond");
        expectSame(everyTick, observe(c, 1000));
    }
    {
        SCOPED_TRACE("asked every 37 ticks");
        expectSame(everyTick, observe(c, 37 * kTick));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Hub, SimulationShortcuts,
    testing::Values(
        Case{"PrimePeriods", workloads::primePeriods(), {}, 60'000},
        Case{"GatedByOtherChannels", workloads::gatedByOtherChannels(), {}, 60'000},
        Case{"GatedOnFastInputsWithMeasurement", workloads::gatedWithMeasurement(),
             workloads::kFastInputs, 60'000},
        Case{"MeasuringAChannel", workloads::measuringAChannel(), {}, 60'000},
        // Periods of hundreds of millions of ticks: repetitions only while the inputs stay.
        Case{"GatedOnOddInputsWithMeasurement",
             workloads::gatedWithMeasurement(),
             {.inputAHz = 123'456.7, .inputBHz = 98'765.4},
             60'000},
        // Cut where the 777th transition does not fit, in the middle of passed-over repetitions.
        Case{"Truncated12_5MHz", workloads::sameTrains(2, 2), {}, 40'000, 777},
        Case{"Trains100kHz", workloads::sameTrains(250, 250), {.inputAHz = 50'000}, 200'000},
        // Inputs changing every few ticks at no round frequency: the groups go from change to
        // change through the states they remember.
        Case{"GatedOnFastOddInputsWithMeasurement", workloads::gatedWithMeasurement(),
             kFastOddInputs, 200'000},
        Case{"FastOddInputsMeasurementStoppedAndStarted", workloads::gatedWithMeasurement(),
             kFastOddInputs, 200'000, 10'000'000, 7'000},
        Case{"FastOddInputsChangingWherePeriodsEnd",
             trainsEndingOnInputChanges(),
             {.inputAHz = 1'250'000.1, .inputBHz = 2'500'000.1},
             200'000},
        Case{"FastOddInputsCuttingPulses",
             longPulsesCutByGates(),
             {.inputAHz = 654'321.1, .inputBHz = 1'234'567.8},
             200'000},
        // Phases of one and two ticks: a measurement that looks back at them finishes without a
        // count as soon as it sees a single-tick phase.
        Case{"MeasuringAnOddInputTooFastToFollow",
             workloads::gatedWithMeasurement(),
             {.inputAHz = 17'777'777.7, .inputBHz = 2'999'999.9},
             60'000,
             10'000'000,
             1'010},
        Case{"TruncatedOnFastOddInputs", workloads::gatedWithMeasurement(), kFastOddInputs, 100'000,
             777}),
    [](const testing::TestParamInfo<Case>& param) { return param.param.name; });

}  // namespace
}  // namespace zo::hub::test

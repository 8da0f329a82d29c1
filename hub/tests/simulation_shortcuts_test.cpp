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
    // Whether the outputs are restarted with each start of the measurement.
    bool restartOutputs = false;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

using Registers = std::vector<std::optional<std::uint8_t>>;

// The measurement's status and result (0x41, 32, 33).
Registers measurementRegisters(SimulatedHub& hub) {
    Registers registers;
    for (const std::uint8_t reg :
         {kMeasurementControl, kMeasurementResultLow, kMeasurementResultHigh}) {
        registers.push_back(readRegister(hub, reg));
    }
    return registers;
}

struct Observed {
    Waveform waveform;
    Registers registers;  // 0x40, 0x41, 32, 33 at the end
    // The measurement's registers just before each of its stops and starts.
    std::vector<Registers> measurements;
};

// Starts the case's workload and records it, asking the hub every `step` ns and at each of the
// case's measurement stops and starts, where it also reads the measurement's registers.
Observed observe(const Case& c, std::uint64_t step) {
    workloads::RunningHub running(c.workload, c.options);
    EXPECT_TRUE(running.started());
    SimulatedHub& hub = running.hub();
    hub.startRecording(c.maxTransitions);
    std::uint64_t toggles = 0;
    std::vector<Registers> measurements;
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
            measurements.push_back(measurementRegisters(hub));
            ++toggles;
            if (toggles % 2 == 1) {
                EXPECT_TRUE(writeRegister(hub, kMeasurementControl, 0));
            } else {
                EXPECT_TRUE(!c.restartOutputs || workloads::restartOutputs(hub, c.workload));
                EXPECT_TRUE(workloads::startMeasurement(hub, c.workload.measuredSource));
            }
        }
    }
    Observed observed{hub.stopRecording(), {readRegister(hub, kOutputEnable)}, measurements};
    const Registers measurement = measurementRegisters(hub);
    observed.registers.insert(observed.registers.end(), measurement.begin(), measurement.end());
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

// The prime periods gated by inputs A and B, with a measurement of input B.
workloads::Workload gatedMeasuringInputB() {
    workloads::Workload workload = workloads::gatedWithMeasurement();
    workload.measuredSource = 2;
    return workload;
}

// Channel 0 fires a pulse of three ticks three ticks after each rise of input A and the
// measurement times its output; the other channels run the prime periods.
workloads::Workload measuredBurstsOnInputA() {
    workloads::Workload workload = workloads::primePeriods();
    quinteldrv::ChannelBlock& burst = workload.channels[0];
    burst[quinteldrv::kModeWord] = 4;
    burst[quinteldrv::kGateSourceWord] = 1;  // input A triggers
    burst[quinteldrv::kDelayWord] = 3;
    burst[quinteldrv::kHighTimeWord] = 3;
    workload.measuredSource = 3;  // channel 0
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
    ASSERT_EQ(actual.measurements.size(), expected.measurements.size());
    for (std::size_t index = 0; index < expected.measurements.size(); ++index) {
        ASSERT_EQ(actual.measurements[index], expected.measurements[index])
            << "measurement stop or start " << index;
    }
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
        // The measured input (A, then B) has phases of two ticks and now and then one, and the
        // measurement is restarted every 17 ticks: on an input change that ends a single-tick
        // phase it ends without a count, which it sees only by looking back two ticks, so the
        // stretches from the same state differ by what came before them.
        Case{"MeasuringInputAWithSingleTickPhasesNowAndThen",
             workloads::gatedWithMeasurement(),
             {.inputAHz = 13'777'777.7, .inputBHz = 2'999'999.9},
             20'000,
             10'000'000,
             170},
        Case{"MeasuringInputBWithSingleTickPhasesNowAndThen",
             gatedMeasuringInputB(),
             {.inputAHz = 2'999'999.9, .inputBHz = 13'777'777.7},
             20'000,
             10'000'000,
             170},
        // The outputs restarted with each start of the measurement, now and then right on a
        // change of input A. The restart cuts channel 0's pulse low; one that began two ticks
        // before is a single-tick phase to the measurement, which then ends without a count,
        // while a pulse that began three ticks before, or none, leaves it running: the group's
        // state is the same, only the outputs it looks back at differ. Input A's phases of 5 and
        // 6 ticks put a pulse's start two or one ticks before its fall, those of 6 and 7 ticks
        // two or three ticks before.
        Case{"RestartCuttingAMeasuredPulseOrNot",
             measuredBurstsOnInputA(),
             {.inputAHz = 4'716'981.1},
             40'000,
             10'000'000,
             150,
             true},
        Case{"RestartCuttingAMeasuredPulseEarlyOrLate",
             measuredBurstsOnInputA(),
             {.inputAHz = 3'731'343.3},
             40'000,
             10'000'000,
             170,
             true},
        Case{"TruncatedOnFastOddInputs", workloads::gatedWithMeasurement(), kFastOddInputs, 100'000,
             777}),
    [](const testing::TestParamInfo<Case>& param) { return param.param.name; });

}  // namespace
}  // namespace zo::hub::test

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
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

struct Observed {
    Waveform waveform;
    std::vector<std::optional<std::uint8_t>> registers;  // 0x40, 0x41, 32, 33 at the end
};

// Starts the case's workload and records it, asking the hub every `step` ns.
Observed observe(const Case& c, std::uint64_t step) {
    workloads::RunningHub running(c.workload, c.options);
    EXPECT_TRUE(running.started());
    SimulatedHub& hub = running.hub();
    hub.startRecording(c.maxTransitions);
    for (std::uint64_t done = 0; done < c.nanoseconds; done += step) {
        running.advance(std::min(step, c.nanoseconds - done));
        EXPECT_TRUE(readRegister(hub, kOutputEnable));
    }
    Observed observed{hub.stopRecording(), {}};
    for (const std::uint8_t reg :
         {kOutputEnable, kMeasurementControl, kMeasurementResultLow, kMeasurementResultHigh}) {
        observed.registers.push_back(readRegister(hub, reg));
    }
    return observed;
}

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
        Case{"Trains100kHz", workloads::sameTrains(250, 250), {.inputAHz = 50'000}, 200'000}),
    [](const testing::TestParamInfo<Case>& param) { return param.param.name; });

}  // namespace
}  // namespace zo::hub::test

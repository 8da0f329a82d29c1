// The measurement sequencer running the library's measurement program: synchronise to an edge,
// count to the next matching edge, halt with the status raised; the read-out step shifts the
// lower half of the count into view. Result in ns = (A * 65536 + B + 4) * 20, where A and B are
// the 16-bit pair (registers 32, 33) before and after the read-out.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "hub/tests/hub_rig.h"

namespace zo::hub::test {
namespace {

constexpr std::uint64_t kTickNs = 20;

// The measurement program for `input`; `sameEdge` measures a whole period, otherwise the time
// from one edge to the next edge of the other direction.
TestProgram measurementProgram(unsigned input, bool sameEdge) {
    TestProgram program;
    const bool p1 = false;  // measure edge 1
    const bool p2 = sameEdge ? p1 : !p1;
    program.constants.push_back(0);
    program.load(false, 0);
    program.load(false, 0);
    program.waitEdge(input, p1, false);
    program.countEdge(input, p2, false);
    program.halt(true);
    program.entry1 = program.here();
    program.load(false, 0);
    program.halt(true);
    return program;
}

// Polls every 100 us like the library's 1 ms loop, only finer; the simulated time it took.
std::optional<std::uint64_t> measureNanoseconds(HubRig& rig, std::uint64_t timeout,
                                                std::uint64_t* took = nullptr) {
    rig.startMeasurement();
    const std::uint64_t start = rig.now();
    while (rig.now() - start < timeout) {
        if (const auto ticks = rig.pollMeasurement()) {
            if (took != nullptr) {
                *took = rig.now() - start;
            }
            return std::uint64_t{*ticks} * kTickNs;
        }
        rig.advance(100 * kMicrosecond);
    }
    return std::nullopt;
}

struct MeasurementCase {
    double inputAHz;
    bool sameEdge;
    std::uint64_t nanoseconds;
};

class Measurement : public testing::TestWithParam<MeasurementCase> {};

TEST_P(Measurement, GivesThePeriodOfTheInputInNanoseconds) {
    const MeasurementCase measurementCase = GetParam();
    HubRig rig({.inputAHz = measurementCase.inputAHz});
    rig.upload(8, measurementProgram(1, measurementCase.sameEdge));
    EXPECT_EQ(measureNanoseconds(rig, 2000 * kMillisecond), measurementCase.nanoseconds);
    // Measuring again gives the same.
    EXPECT_EQ(measureNanoseconds(rig, 2000 * kMillisecond), measurementCase.nanoseconds);
}

// 1 kHz fits the lower half; 100 Hz and 12.5 Hz need the upper half too.
INSTANTIATE_TEST_SUITE_P(Hub, Measurement,
                         testing::Values(MeasurementCase{1000, true, 1'000'000},
                                         MeasurementCase{1000, false, 500'000},
                                         MeasurementCase{100, true, 10'000'000},
                                         MeasurementCase{12.5, true, 80'000'000}));

TEST(Measurement, OfOneKilohertzFinishesWithinTwoPeriods) {
    HubRig rig;
    rig.upload(8, measurementProgram(1, true));
    std::uint64_t took = 0;
    EXPECT_EQ(measureNanoseconds(rig, 2000 * kMillisecond, &took), 1'000'000u);
    EXPECT_GE(took, kMillisecond);
    EXPECT_LE(took, 2 * kMillisecond + 200 * kMicrosecond);
}

TEST(Measurement, OfInputBAndOfAChannelOutput) {
    HubRig rig;  // input B: 2500 Hz
    rig.upload(8, measurementProgram(2, true));
    EXPECT_EQ(measureNanoseconds(rig, 2000 * kMillisecond), 400'000u);

    TestProgram train;  // channel 2: 30 ticks high, 70 low
    train.delay(30, true);
    train.delay(69, false);
    train.jump(false, 0, false);
    rig.upload(2, train);
    rig.openOutputs(1 << 2);
    rig.upload(8, measurementProgram(3 + 2, true));
    EXPECT_EQ(measureNanoseconds(rig, 2000 * kMillisecond), 100 * kTickNs);
}

TEST(Measurement, WithoutSignalNeverFinishesAndStaysStoppedAfterwards) {
    HubRig rig({.inputAHz = 0});
    rig.upload(8, measurementProgram(1, true));
    EXPECT_EQ(measureNanoseconds(rig, 2000 * kMillisecond), std::nullopt);
    rig.write(kMeasurementControl, 0);
    const std::uint8_t low = rig.read(kMeasurementResultLow);
    const std::uint8_t high = rig.read(kMeasurementResultHigh);
    rig.advance(1000 * kMillisecond);
    EXPECT_EQ(rig.read(kMeasurementControl) & 1, 0);
    EXPECT_EQ(rig.read(kMeasurementResultLow), low);
    EXPECT_EQ(rig.read(kMeasurementResultHigh), high);
}

TEST(Measurement, EmptyProgramNeverFinishes) {
    HubRig rig;
    rig.upload(8, TestProgram{});  // measure input 0: nothing loaded but the control writes
    EXPECT_EQ(measureNanoseconds(rig, 20 * kMillisecond), std::nullopt);
}

TEST(Measurement, LoadShiftsTheCounterUpByHalf) {
    HubRig rig;
    TestProgram program;
    program.constants = {0x1234, 0xABCD, 0x0F0F};
    program.load(false, 0);
    program.load(false, 1);
    program.halt(true);
    program.entry1 = program.here();
    program.load(false, 2);
    program.halt(true);
    rig.upload(8, program);
    rig.startMeasurement();
    EXPECT_EQ(rig.read(kMeasurementControl) & 1, 1);
    EXPECT_EQ(rig.read(kMeasurementResultHigh), 0x12);
    EXPECT_EQ(rig.read(kMeasurementResultLow), 0x34);
    // The read-out step: its load brings the lower half up.
    const auto ticks = rig.pollMeasurement();
    ASSERT_TRUE(ticks.has_value());
    EXPECT_EQ(*ticks, 0x1234u * 65536 + 0xABCD + 4);
}

}  // namespace
}  // namespace zo::hub::test

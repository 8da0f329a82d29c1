// The measurement sequencer running the library's measurement program: synchronise to an edge,
// count to the next matching edge, halt with the status raised; the read-out step shifts the
// lower half of the count into view. Result in ns = (A * 65536 + B + 4) * 20, where A and B are
// the 16-bit pair (registers 32, 33) before and after the read-out.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "hub/tests/hub_rig.h"
#include "hub/tests/library_programs.h"

namespace zo::hub::test {
namespace {

constexpr std::uint64_t kTickNs = 20;

// The library's measurement program for `input`: edge 1 starts it (the input's falling edge);
// `sameEdge` measures a whole period, otherwise the time to the next edge of the other direction.
QnProgram measurementProgram(unsigned input, bool sameEdge, std::int32_t edge = 1) {
    QnProgram program;
    EXPECT_TRUE(quinteldrv::buildMeasurementProgram(
        {input, sameEdge ? 0u : 1u, static_cast<std::uint32_t>(edge)}, program));
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

    rig.upload(2, freeTrainProgram(30, 70));  // channel 2: 30 ticks high, 70 low
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
    rig.upload(8, measurementProgram(0, true));  // nothing loaded but the control writes
    EXPECT_EQ(measureNanoseconds(rig, 20 * kMillisecond), std::nullopt);
}

// The program follows an input whose high and low phases last two ticks or more: a period of P
// ticks leaves P - 4, or P - 5 when the input's edge falls on the tick between the two waits that
// find it, so the period reads to within a tick, and a count of 0 is no period. Faster inputs
// would make it miss edges: the measurement then ends at once with a count of 0.
struct FastCase {
    double inputAHz;
    std::uint64_t periodTicks;  // 0: no period
};

class FastInput : public testing::TestWithParam<FastCase> {};

TEST_P(FastInput, IsTimedWhileEveryPhaseLastsTwoTicksAndReadsZeroWhenFaster) {
    const std::uint64_t period = GetParam().periodTicks;
    // Started on successive ticks, the measurement meets the input's edges at every phase.
    for (std::uint64_t offset = 0; offset < 8; ++offset) {
        HubRig rig({.inputAHz = GetParam().inputAHz});
        rig.advance(offset * kTickNs);
        rig.upload(8, measurementProgram(1, true));
        const auto nanoseconds = measureNanoseconds(rig, 20 * kMillisecond);
        ASSERT_TRUE(nanoseconds.has_value());
        if (period == 0) {
            EXPECT_EQ(*nanoseconds, 0u) << "started " << offset << " ticks later";
        } else {
            const std::uint64_t shorter = period == 5 ? 0 : (period - 1) * kTickNs;
            EXPECT_TRUE(*nanoseconds == period * kTickNs || *nanoseconds == shorter)
                << *nanoseconds << " ns, started " << offset << " ticks later";
        }
    }
}

// 5 and 10 MHz: ten and five ticks a period. 12.5 MHz: four, a count of 0. Above: phases of one
// tick.
INSTANTIATE_TEST_SUITE_P(Hub, FastInput,
                         testing::Values(FastCase{5e6, 10}, FastCase{10e6, 5}, FastCase{12.5e6, 0},
                                         FastCase{16.7e6, 0}, FastCase{20e6, 0},
                                         FastCase{25e6, 0}));

TEST(Measurement, OfAChannelWithPulsesOfOneTickReadsZero) {
    HubRig rig({.inputAHz = 0, .inputBHz = 0});
    rig.upload(3, freeTrainProgram(1, 50));
    rig.openOutputs(1 << 3);
    rig.upload(8, measurementProgram(3 + 3, true));
    EXPECT_EQ(measureNanoseconds(rig, 20 * kMillisecond), 0u);
    rig.upload(3, freeTrainProgram(2, 50));
    EXPECT_EQ(measureNanoseconds(rig, 20 * kMillisecond), 52 * kTickNs);
}

TEST(Measurement, SeesAChannelOutputAsItIs) {
    // Edge 0 starts on the output's rising edge: to the opposite edge is its high phase.
    HubRig rig({.inputAHz = 0, .inputBHz = 0});
    rig.upload(4, freeTrainProgram(30, 70));
    rig.openOutputs(1 << 4);
    rig.upload(8, measurementProgram(3 + 4, false, 0));
    EXPECT_EQ(measureNanoseconds(rig, 20 * kMillisecond), 30 * kTickNs);
    rig.upload(8, measurementProgram(3 + 4, false, 1));
    EXPECT_EQ(measureNanoseconds(rig, 20 * kMillisecond), 70 * kTickNs);
}

TEST(Measurement, LoadShiftsTheCounterUpByHalf) {
    HubRig rig;
    QnProgram program = written([](ProgramWriter& out) {
        out.constant(0x1234);
        out.constant(0xABCD);
        out.constant(0x0F0F);
        out.load(0, 0);
        out.load(1, 0);
        out.halt(1);
        out.program().entry1 = out.here();
        out.load(2, 0);
        out.halt(1);
    });
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

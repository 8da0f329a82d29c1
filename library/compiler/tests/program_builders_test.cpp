// The builders' words and their order, for the pieces and for every mode.

#include "library/compiler/program_builders.h"

#include <gtest/gtest.h>

#include "library/compiler/program_writer.h"

namespace zo::quinteldrv {
namespace {

std::vector<std::uint16_t> words(const QnProgram& program) {
    std::vector<std::uint16_t> result;
    for (std::int32_t i = 0; i < program.instructionCount; ++i) {
        result.push_back(program.instructions[static_cast<std::size_t>(i)].word());
    }
    return result;
}

std::vector<std::int32_t> constants(const QnProgram& program) {
    return {program.constants.begin(), program.constants.begin() + program.constantCount};
}

ChannelBlock channel(std::uint32_t mode, std::uint32_t delay, std::uint32_t high,
                     std::uint32_t low) {
    ChannelBlock block{};
    block[kModeWord] = mode;
    block[kDelayWord] = delay;
    block[kHighTimeWord] = high;
    block[kLowTimeWord] = low;
    block[kHighTime2Word] = 1;
    block[kLowTime2Word] = 1;
    block[kExtSourceWord] = 1;
    block[kPulseCountWord] = 1;
    block[kRetriggerWord] = 1;
    return block;
}

constexpr std::uint16_t load(int level, int constant) {
    return static_cast<std::uint16_t>(level << 11 | constant);
}
constexpr std::uint16_t count(int level, int tied) {
    return static_cast<std::uint16_t>(level << 11 | 1 << 9 | 1 << 8 | tied << 7);
}
constexpr std::uint16_t jumpAlways(int level, int target) {
    return static_cast<std::uint16_t>(level << 11 | 2 << 9 | target);
}
constexpr std::uint16_t jumpIf(int level, int target) {
    return static_cast<std::uint16_t>(level << 11 | 2 << 9 | 1 << 7 | target);
}
constexpr std::uint16_t test(int level, int input, int state) {
    return static_cast<std::uint16_t>(level << 11 | 2 << 9 | 1 << 8 | (input * 2 + state));
}
constexpr std::uint16_t tick(int level) {
    return static_cast<std::uint16_t>(level << 11 | 1 << 9);
}
constexpr std::uint16_t stall(int level) {
    return static_cast<std::uint16_t>(level << 11 | 3 << 9 | 1 << 8 | 1 << 7);
}
constexpr std::uint16_t kTick0 = 1 << 9;
constexpr std::uint16_t kHalt0 = 3 << 9 | 1 << 8;

TEST(ProgramPieces, ShortDelaysAreTicksAndLongOnesCountFromTwoMinusN) {
    QnProgram program;
    ProgramWriter out(program);
    out.delay(3, 0);
    EXPECT_EQ(words(program), (std::vector<std::uint16_t>{kTick0, kTick0, kTick0}));
    EXPECT_EQ(program.constantCount, 0);
    program.clear();
    out.delay(4, 0);
    EXPECT_EQ(constants(program), (std::vector<std::int32_t>{0xFFFE, 0xFFFF}));
    EXPECT_EQ(words(program), (std::vector<std::uint16_t>{load(0, 1), load(0, 0), count(0, 0)}));
}

TEST(ProgramPieces, TheWordMasksEveryFieldToItsSize) {
    const Instruction jump{1, 2, 0, 1, 5};
    EXPECT_EQ(jump.word(), 0x0C85);
    const Instruction oversized{3, 6, 2, 3, 0x85};
    EXPECT_EQ(oversized.word(), 0x0C85) << "level 1, opcode 2, flag B 1, operand 5";
}

// A caller's record may hold any source number; the test's 7-bit field takes the low bits of
// twice the source plus the state, whatever the size of the number.
TEST(ProgramPieces, ATestOfAnySourceNumberKeepsTheLowBitsOfTwiceItPlusTheState) {
    QnProgram program;
    ProgramWriter out(program);
    out.test(5, 1, 0);
    out.test(0x40000001, 1, 0);  // twice the number needs the 32nd bit
    out.test(static_cast<std::int32_t>(0xFFFFFFFFu), 0, 1);
    constexpr std::uint16_t kTest = 2 << 9 | 1 << 8;
    EXPECT_EQ(words(program),
              (std::vector<std::uint16_t>{kTest | 11, kTest | 3, 1 << 11 | kTest | 0x7E}));
}

TEST(ProgramBuilders, AnUngatedTrainIsTwoCountedPhasesAndAJump) {
    QnProgram program;
    ASSERT_TRUE(buildChannelProgram(channel(0, 0, 10, 10), program));
    EXPECT_EQ(program.entry0, 0);
    EXPECT_EQ(words(program),
              (std::vector<std::uint16_t>{load(1, 1), load(1, 0), count(1, 0), load(0, 3),
                                          load(0, 2), count(0, 0), jumpAlways(0, 0)}));
    EXPECT_EQ(constants(program), (std::vector<std::int32_t>{0xFFF8, 0xFFFF, 0xFFF9, 0xFFFF}));
}

TEST(ProgramBuilders, InvertAndIdleLevelsChooseTheLevelsOfThePhases) {
    ChannelBlock block = channel(0, 5, 2, 2);
    block[kInvertWord] = 1;
    block[kIdleLevelWord] = 1;
    QnProgram program;
    ASSERT_TRUE(buildChannelProgram(block, program));
    const auto emitted = words(program);
    ASSERT_EQ(emitted.size(), 3u + 2 + 1 + 1);
    EXPECT_EQ(emitted[0] >> 11, 1) << "the delay runs at the idle level";
    EXPECT_EQ(emitted[3] >> 11, 0) << "active phase at the level opposite the invert";
    EXPECT_EQ(emitted[5] >> 11, 1) << "inactive phase";
    EXPECT_EQ(emitted.back(), jumpAlways(1, 3)) << "the loop starts after the delay";
}

TEST(ProgramBuilders, AStartInputIsWaitedForAtTheIdleLevel) {
    ChannelBlock block = channel(0, 0, 2, 2);
    block[kGateSourceWord] = 1;  // input A, active high
    QnProgram program;
    ASSERT_TRUE(buildChannelProgram(block, program));
    const auto emitted = words(program);
    EXPECT_EQ(emitted[0], 2 << 9 | 1 << 8 | (1 * 2 + 0)) << "test(A, low)";
    EXPECT_EQ(emitted[1], 3 << 9 | 1 << 8 | 1 << 7) << "stall";
    EXPECT_EQ(program.instructions[2].opcode, 2) << "gated phases follow";
}

TEST(ProgramBuilders, AGateWithoutStartInputLeadsWithAHalt) {
    ChannelBlock block = channel(2, 0, 10, 10);
    block[kAuxSourceWord] = 3;  // the output of channel 0
    QnProgram program;
    ASSERT_TRUE(buildChannelProgram(block, program));
    EXPECT_EQ(words(program)[0], kHalt0);
    EXPECT_EQ(program.entry0, 1);
}

TEST(ProgramBuilders, AGatedTrainLooksAtItsGateBeforeEveryPulse) {
    ChannelBlock block = channel(0, 0, 10, 10);
    block[kGateSourceWord] = 1;  // input A, open while high
    QnProgram program;
    ASSERT_TRUE(buildChannelProgram(block, program));
    // clang-format off
    EXPECT_EQ(words(program), (std::vector<std::uint16_t>{
        test(0, 1, 0), stall(0),                                       // wait for the gate
        test(0, 1, 1), jumpIf(0, 5), jumpAlways(0, 0),                 // open, or back to the wait
        test(1, 1, 1), load(1, 1), load(1, 0), count(1, 1),            // high: 7 gated ticks,
        jumpIf(1, 11), jumpAlways(0, 0), tick(1), tick(1),             // its look, two ticks
        test(0, 1, 1), load(0, 3), load(0, 2), count(0, 1),            // low: 6 gated ticks,
        jumpIf(0, 19), jumpAlways(0, 0), tick(0), tick(0),             // its look, two ticks,
        jumpIf(0, 5), jumpAlways(0, 0)}));                             // the look before a pulse
    // clang-format on
    EXPECT_EQ(constants(program), (std::vector<std::int32_t>{0xFFFC, 0xFFFF, 0xFFFD, 0xFFFF}));
}

TEST(ProgramBuilders, AGatedTrainWithShortPhasesKeepsItsLooksAtTheGate) {
    // Phases shorter than the looks and ticks around them emit no gated delay: the look before
    // the first pulse has selected the gate for the conditional jumps.
    ChannelBlock block = channel(0, 0, 1, 1);
    block[kGateSourceWord] = 1;
    QnProgram program;
    ASSERT_TRUE(buildChannelProgram(block, program));
    EXPECT_EQ(words(program),
              (std::vector<std::uint16_t>{test(0, 1, 0), stall(0), test(0, 1, 1), jumpIf(0, 5),
                                          jumpAlways(0, 0), jumpIf(1, 7), jumpAlways(0, 0), tick(1),
                                          tick(1), jumpIf(0, 11), jumpAlways(0, 0), tick(0),
                                          tick(0), jumpIf(0, 5), jumpAlways(0, 0)}));
}

TEST(ProgramBuilders, TheSecondRateRunsUntilTheStartInputAndReturnsBehindItsWait) {
    ChannelBlock block = channel(3, 5, 10, 10);
    block[kGateSourceWord] = 1;
    block[kAuxSourceWord] = 2;
    block[kHighTime2Word] = 20;
    block[kLowTime2Word] = 20;
    QnProgram program;
    ASSERT_TRUE(buildChannelProgram(block, program));
    const auto emitted = words(program);
    // After the wait for input A (instructions 0 and 1) and the delay, pulse set 1 looks at
    // input B: high stops it. Its exits lead to pulse set 2, which looks at input A and returns
    // to the delay (instruction 2) when it is high.
    EXPECT_EQ(emitted[5], test(0, 2, 0));
    std::vector<std::int32_t> toSecondSet;
    std::vector<std::int32_t> toDelay;
    for (std::int32_t i = 0; i < program.instructionCount; ++i) {
        const auto& instruction = program.instructions[static_cast<std::size_t>(i)];
        if (instruction.opcode == 2 && instruction.flagA == 0 && instruction.flagB == 0) {
            (instruction.operand == 2 ? toDelay : toSecondSet).push_back(instruction.operand);
        }
    }
    EXPECT_EQ(toDelay.size(), 4u) << "the look before set 2, both phases, the look before a pulse";
    ASSERT_EQ(toSecondSet.size(), 3u) << "the look before set 1 and both of its phases";
    EXPECT_EQ(toSecondSet[0], toSecondSet[2]);
    EXPECT_EQ(emitted[static_cast<std::size_t>(toSecondSet[0]) - 1], jumpIf(0, 8))
        << "set 1's last look falls through to set 2";
    EXPECT_EQ(emitted.back(), jumpAlways(0, 2));
}

TEST(ProgramBuilders, ASingleBurstHasNoLoopAndTwoPulsesUseTheLoopConstants) {
    ChannelBlock block = channel(4, 0, 10, 20);
    block[kGateSourceWord] = 1;
    QnProgram single;
    ASSERT_TRUE(buildChannelProgram(block, single));
    for (std::int32_t i = 0; i < single.instructionCount; ++i) {
        EXPECT_FALSE(single.instructions[static_cast<std::size_t>(i)].flagB == 1 &&
                     single.instructions[static_cast<std::size_t>(i)].opcode == 0)
            << "no second load without a loop";
    }
    block[kPulseCountWord] = 2;
    QnProgram twice;
    ASSERT_TRUE(buildChannelProgram(block, twice));
    EXPECT_EQ(std::vector<std::int32_t>(twice.constants.begin(), twice.constants.begin() + 3),
              (std::vector<std::int32_t>{0xFFFF, 0xFFFF, 0}));
}

TEST(ProgramBuilders, RetriggerZeroParksTheBurstOnALeadingHalt) {
    ChannelBlock block = channel(4, 0, 10, 20);
    block[kRetriggerWord] = 0;
    QnProgram program;
    ASSERT_TRUE(buildChannelProgram(block, program));
    EXPECT_EQ(words(program)[0], kHalt0);
    EXPECT_EQ(program.entry0, 1);
    EXPECT_EQ(words(program).back(), jumpAlways(0, 0));
}

TEST(ProgramBuilders, ABurstWaitsForAnEdgeOfItsTriggerAndWithoutOneOnTheCounter) {
    ChannelBlock block = channel(4, 0, 2, 2);
    block[kGateSourceWord] = 1;
    QnProgram triggered;
    ASSERT_TRUE(buildChannelProgram(block, triggered));
    EXPECT_EQ(words(triggered),
              (std::vector<std::uint16_t>{test(0, 1, 1), stall(0), test(0, 1, 0), stall(0), tick(1),
                                          tick(1), tick(0), tick(0), jumpAlways(0, 0)}));
    block[kGateSourceWord] = 0;
    QnProgram free;
    ASSERT_TRUE(buildChannelProgram(block, free));
    EXPECT_EQ(words(free), (std::vector<std::uint16_t>{test(0, 0, 0), stall(0), tick(1), tick(1),
                                                       tick(0), tick(0), test(0, 0, 1), stall(0),
                                                       test(0, 0, 0), stall(0), jumpAlways(0, 0)}));
}

TEST(ProgramBuilders, TheExternalClockRunsTwoPeriodsSoThePhaseReturnsEvenForOddTotals) {
    // H = 2 and L = 3 differ in their lowest bit only: one period would leave the clock phase
    // flipped at the loop start.
    QnProgram program;
    ASSERT_TRUE(buildChannelProgram(channel(1, 0, 2, 3), program));
    EXPECT_EQ(program.constantCount, 8) << "four clock counts of two constants each";
    QnProgram withDelay;
    ASSERT_TRUE(buildChannelProgram(channel(1, 1, 2, 3), withDelay));
    EXPECT_EQ(withDelay.constantCount, 10);
}

TEST(ProgramBuilders, AnUnknownModeKeepsThePreviousProgram) {
    QnProgram program;
    ASSERT_TRUE(buildChannelProgram(channel(0, 0, 10, 10), program));
    const QnProgram before = program;
    EXPECT_FALSE(buildChannelProgram(channel(5, 0, 10, 10), program));
    EXPECT_EQ(words(program), words(before));
}

TEST(MeasurementBuilder, SynchronisesCountsAndOffersTheReadOut) {
    QnProgram program;
    ASSERT_TRUE(buildMeasurementProgram({1, 0, 1}, program));
    EXPECT_EQ(constants(program), (std::vector<std::int32_t>{0}));
    EXPECT_EQ(program.entry0, 0);
    EXPECT_EQ(program.entry1, 11);
    EXPECT_EQ(program.instructionCount, 13);
    EXPECT_EQ(words(program)[2], 2 << 9 | 1 << 8 | (1 * 2 + 0))
        << "a non-zero edge waits for A low";
    EXPECT_EQ(words(program)[10], 1 << 11 | kHalt0) << "the count ends in a halt at level 1";
    EXPECT_EQ(words(program)[11], load(0, 0)) << "the read-out shifts the count";
    QnProgram empty;
    ASSERT_TRUE(buildMeasurementProgram({0, 0, 0}, empty));
    EXPECT_EQ(empty.instructionCount, 0);
}

}  // namespace
}  // namespace zo::quinteldrv

// Where a program's counter no longer matters: the stretch memory leaves such a counter out of a
// group's state, so a read it misses would let two different courses pass for one.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

#include "hub/counter_liveness.h"
#include "hub/program_memory.h"

namespace zo::hub {
namespace {

constexpr std::uint16_t kLoad = 0x000;
constexpr std::uint16_t kLoadSecond = 0x080;
constexpr std::uint16_t kTick = 0x200;
constexpr std::uint16_t kCount = 0x300;
constexpr std::uint16_t kTest = 0x500;  // operand: input << 1 | state
constexpr std::uint16_t kJump = 0x400;
constexpr std::uint16_t kConditional = 0x080;
constexpr std::uint16_t kStall = 0x780;
constexpr std::uint16_t kHalt = 0x600;

// The words from address 0 on, halts after them.
ProgramMemory programOf(std::initializer_list<std::uint16_t> words) {
    ProgramMemory program;
    const auto store = [&program](std::size_t address, std::uint16_t word) {
        program.write(LoadRegister::Start, static_cast<std::uint8_t>(address));
        program.write(LoadRegister::AddressOrByte, static_cast<std::uint8_t>(word >> 8));
        program.write(LoadRegister::Strobe, 0);
        program.write(LoadRegister::AddressOrByte, static_cast<std::uint8_t>(word & 0xFF));
    };
    std::size_t address = 0;
    for (const std::uint16_t word : words) {
        store(address++, word);
    }
    for (; address < ProgramMemory::kInstructionCount; ++address) {
        store(address, kHalt);
    }
    return program;
}

TEST(CounterLiveness, TwoLoadsBeforeACountReplaceTheCounter) {
    // Ticks only add to the counter; the count reads what the two loads put there.
    const CounterLiveness liveness(
        programOf({kTick, kTick, kLoad | 0, kLoad | 1, kCount, kJump | 0}));
    for (const int pc : {0, 1, 2, 5}) {
        EXPECT_TRUE(liveness.deadAt(static_cast<std::uint8_t>(pc), false)) << pc;
    }
    EXPECT_FALSE(liveness.deadAt(3, false));  // one load: the old low half becomes the high half
    EXPECT_FALSE(liveness.deadAt(4, false));
    EXPECT_TRUE(liveness.deadAt(ProgramMemory::kInstructionCount, false));  // ran off the end
}

TEST(CounterLiveness, ATestOfTheCounterMakesJumpsAndStallsReadIt) {
    const CounterLiveness jumping(programOf({kTest | 1, kJump | kConditional | 1, kHalt}));
    EXPECT_FALSE(jumping.deadAt(0, false));
    EXPECT_TRUE(jumping.deadAt(1, false));  // the jump looks at another input
    EXPECT_FALSE(jumping.deadAt(1, true));
    const CounterLiveness stalling(programOf({kStall, kHalt}));
    EXPECT_FALSE(stalling.deadAt(0, true));
    EXPECT_TRUE(stalling.deadAt(0, false));
    EXPECT_TRUE(stalling.deadAt(1, true));  // a halt reads nothing; a restart presets the counter
}

TEST(CounterLiveness, ALoadSecondReadsTheLowHalfBeforeAnyLoad) {
    // Entered from above, it takes the pass count from the low half of the counter.
    EXPECT_FALSE(CounterLiveness(programOf({kLoadSecond | 0, kLoad | 1, kCount})).deadAt(0, false));
    // After one load the low half is the loaded constant.
    EXPECT_TRUE(CounterLiveness(programOf({kLoad | 0, kLoadSecond | 1, kCount})).deadAt(0, false));
}

}  // namespace
}  // namespace zo::hub

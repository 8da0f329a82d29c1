#pragma once
// Where in a channel's program the counter's present value can no longer matter: on every path
// from there the program loads the counter twice (which replaces all 32 bits) or halts before it
// reads it. Reads are a count, a load second entered before any load (it takes the pass count from
// the low half) and a conditional jump, stall or tied count while the test selected is the counter.
// A tick adds one without changing the program's course.
//
// The stretch memory leaves such a counter out of a state (a gated train's ticks keep adding to
// it while its value is never read), so that the states come back.

#include <array>
#include <bitset>
#include <cstdint>

#include "hub/program_memory.h"

namespace zo::hub {

class CounterLiveness {
  public:
    explicit CounterLiveness(const ProgramMemory& program);

    // Whether the counter's value is dead at `pc` with the test last selected being the counter
    // (`testingCounter`) or not.
    bool deadAt(std::uint8_t pc, bool testingCounter) const {
        return pc >= ProgramMemory::kInstructionCount || !live_[index(pc, 0, testingCounter)];
    }

  private:
    // A point of the program: the instruction, how many loads ran since (0 or 1) and whether
    // the selected test is the counter.
    static constexpr std::size_t index(std::size_t pc, std::size_t loads, bool testingCounter) {
        return (pc * 2 + loads) * 2 + (testingCounter ? 1 : 0);
    }
    static constexpr std::size_t kPoints = ProgramMemory::kInstructionCount * 4;

    std::bitset<kPoints> live_;
};

}  // namespace zo::hub

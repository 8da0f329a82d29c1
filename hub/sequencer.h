#pragma once
// One sequencer running its program: program counter, 32-bit counter, the test last selected,
// its output level, and the pass count of a repeated section. It executes one instruction per
// tick; see hub/README.md for the firmware model.
//
// Besides step(), which runs one tick, it tells how long it will do nothing but keep counting or
// waiting (nextDecision) and can jump over that stretch in one go (skip), which is what lets the
// hub simulate long delays and waits in constant time.

#include <cstddef>
#include <cstdint>

#include "hub/instruction.h"
#include "hub/program_memory.h"
#include "hub/signal_sources.h"

namespace zo::hub {

class Sequencer {
  public:
    // Its enable bit went from 0 to 1: run from `address` on the next tick, output low until then.
    // A channel sequencer starts with its counter at all ones; the measurement keeps its counter,
    // which holds its result.
    void start(std::uint8_t address, bool presetCounter);
    // Its enable bit went to 0: frozen where it is, output held low. The counter is kept.
    void stop() { enabled_ = false; }
    // Power-on state.
    void clear() { *this = Sequencer{}; }

    bool enabled() const { return enabled_; }
    // Enabled and not halted: it executes an instruction on every tick.
    bool running() const { return enabled_ && !halted_; }
    bool output() const { return enabled_ && level_; }
    std::uint32_t counter() const { return counter_; }
    // The stretch memory keeps a counter whose value no longer matters apart from the state.
    void setCounter(std::uint32_t counter) { counter_ = counter; }
    std::uint8_t programCounter() const { return pc_; }
    // Whether the next step loads the counter (a load or load second).
    bool loadsNext(const ProgramMemory& program) const {
        return running() && (current(program).form == InstructionForm::Load ||
                             current(program).form == InstructionForm::LoadSecond);
    }
    // The input its last test named.
    std::uint8_t testedInput() const { return testInput_; }

    // The measurement's input changed faster than its program can follow: it halts at once,
    // finished (output 1), with a count of 0, which no period gives.
    void finishWithoutCount();

    void step(const ProgramMemory& program, const SignalSources& sources, std::uint64_t tick);

    // The first tick at or after `tick` on which this sequencer does anything other than go on
    // counting or waiting with its output unchanged; kNever when it is idle for good (stopped,
    // halted, or waiting on something that cannot change by itself). Ticks before that one may be
    // passed over with skip().
    std::uint64_t nextDecision(const ProgramMemory& program, const SignalSources& sources,
                               std::uint64_t tick) const;
    void skip(const ProgramMemory& program, std::uint64_t ticks);

    // Bit s (0..15): source s may be tested by its program run from here (the test last selected
    // included); 0 when it does not run.
    std::uint16_t testedSources(const ProgramMemory& program) const;

    // Whether the program can read its counter back: a count, a load second or a test of input
    // 0. Without any, the counter never changes the sequencer's course.
    static bool readsCounter(const ProgramMemory& program);
    // In the same state as `other` as far as its course goes; the counter is compared only when
    // `counterMatters`.
    bool sameState(const Sequencer& other, bool counterMatters) const;
    // Equal in every part of the state; a hash of the whole state.
    bool operator==(const Sequencer&) const = default;
    std::size_t hash() const;

  private:
    const Instruction& current(const ProgramMemory& program) const { return program.decoded(pc_); }
    bool testHolds(const SignalSources& sources, std::uint64_t tick) const;
    std::uint64_t nextTestChange(const SignalSources& sources, std::uint64_t tick) const;
    void load(const ProgramMemory& program, std::uint8_t index);
    void jump(const ProgramMemory& program, const Instruction& instruction, bool condition);
    void advance();

    bool enabled_ = false;
    bool halted_ = false;
    bool level_ = false;
    bool enteredByJump_ = false;
    std::uint8_t pc_ = 0;  // 128: ran off the end of the memory, halted
    std::uint32_t counter_ = 0;
    std::uint8_t testInput_ = 0;
    bool testState_ = false;
    std::uint16_t passes_ = 0;
};

}  // namespace zo::hub

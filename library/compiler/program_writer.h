#pragma once
// Emits instruction forms and composite pieces into a program. The builders count time in
// instructions: the hub runs one per 20 ns tick.

#include <cstdint>

#include "library/compiler/sequencer_program.h"

namespace zo::quinteldrv {

class ProgramWriter {
  public:
    explicit ProgramWriter(QnProgram& program) : program_(program) {}

    QnProgram& program() { return program_; }
    std::int32_t here() const { return program_.instructionCount; }
    // False once an instruction or constant did not fit; the program is then unusable.
    bool fits() const { return fits_; }

    // Instruction forms; each returns the index of the instruction it emitted.
    std::int32_t load(std::int32_t constant, int level);
    std::int32_t loadSecond(std::int32_t constant, int level);
    std::int32_t tick(int level);
    std::int32_t count(int tiedToTest, int level);
    std::int32_t test(std::int32_t input, int state, int level);
    std::int32_t jump(std::int32_t target, int conditional, int level);
    std::int32_t stall(int level);
    std::int32_t halt(int level);
    // Sets the target of the jump at `jump` to the current instruction count.
    void patchToHere(std::int32_t jump);
    void patch(std::int32_t jump, std::int32_t target);

    // Adds a constant and returns its index.
    std::int32_t constant(std::uint16_t value);

    // Composite pieces.
    void delay(std::uint32_t n, int level, int tiedToTest = 0);
    void gatedDelay(std::uint32_t n, std::int32_t input, int state, int level);
    void waitLevel(std::int32_t input, int state, int level);
    void waitEdge(std::int32_t input, int state, int level);
    void countEdge(std::int32_t input, int state, int level);
    std::int32_t testAndBranch(std::int32_t target, std::int32_t input, int state, int level);
    // Counts n transitions of the clock, leaving early when the gate goes inactive; flips
    // `phase` when n is odd.
    void clockCount(std::uint32_t n, std::int32_t clock, int& phase, std::int32_t gate,
                    int gateState, int level);

  private:
    std::int32_t emit(int level, int opcode, int flagA, int flagB, std::int32_t operand);
    // Two constants with the low and high halves of `value`; returns the low one's index.
    std::int32_t constantPair(std::uint32_t value);

    QnProgram& program_;
    bool fits_ = true;
};

}  // namespace zo::quinteldrv

#include "library/compiler/program_writer.h"

namespace zo::quinteldrv {

std::int32_t ProgramWriter::emit(int level, int opcode, int flagA, int flagB,
                                 std::int32_t operand) {
    const std::int32_t index = program_.instructionCount;
    if (static_cast<std::size_t>(index) >= QnProgram::kMaxInstructions) {
        fits_ = false;
        return index;
    }
    program_.instructions[static_cast<std::size_t>(index)] = {level, opcode, flagA, flagB, operand};
    ++program_.instructionCount;
    return index;
}

std::int32_t ProgramWriter::constant(std::uint16_t value) {
    const std::int32_t index = program_.constantCount;
    if (static_cast<std::size_t>(index) >= QnProgram::kMaxConstants) {
        fits_ = false;
        return index;
    }
    program_.constants[static_cast<std::size_t>(index)] = value;
    ++program_.constantCount;
    return index;
}

std::int32_t ProgramWriter::constantPair(std::uint32_t value) {
    const std::int32_t low = constant(static_cast<std::uint16_t>(value));
    constant(static_cast<std::uint16_t>(value >> 16));
    return low;
}

std::int32_t ProgramWriter::load(std::int32_t constant, int level) {
    return emit(level, 0, 0, 0, constant);
}

std::int32_t ProgramWriter::loadSecond(std::int32_t constant, int level) {
    return emit(level, 0, 0, 1, constant);
}

std::int32_t ProgramWriter::tick(int level) {
    return emit(level, 1, 0, 0, 0);
}

std::int32_t ProgramWriter::count(int tiedToTest, int level) {
    return emit(level, 1, 1, tiedToTest, 0);
}

std::int32_t ProgramWriter::test(std::int32_t input, int state, int level) {
    // Any source number may arrive from a caller's record; only the low bits reach the 7-bit
    // field, so the sum is taken modulo 2^32 instead of overflowing.
    const std::uint32_t operand =
        static_cast<std::uint32_t>(input) * 2u + static_cast<std::uint32_t>(state);
    return emit(level, 2, 1, 0, static_cast<std::int32_t>(operand));
}

std::int32_t ProgramWriter::jump(std::int32_t target, int conditional, int level) {
    return emit(level, 2, 0, conditional, target);
}

std::int32_t ProgramWriter::stall(int level) {
    return emit(level, 3, 1, 1, 0);
}

std::int32_t ProgramWriter::halt(int level) {
    return emit(level, 3, 1, 0, 0);
}

void ProgramWriter::patch(std::int32_t jump, std::int32_t target) {
    if (jump >= 0 && jump < program_.instructionCount) {
        program_.instructions[static_cast<std::size_t>(jump)].operand = target;
    }
}

void ProgramWriter::patchToHere(std::int32_t jump) {
    patch(jump, here());
}

void ProgramWriter::delay(std::uint32_t n, int level, int tiedToTest) {
    if (n < 4) {
        for (std::uint32_t i = 0; i < n; ++i) {
            tick(level);
        }
        return;
    }
    // The counter counts up from 2 - n and ends on reaching zero; the two loads take the
    // remaining two ticks.
    const std::int32_t low = constantPair(2u - n);
    load(low + 1, level);
    load(low, level);
    count(tiedToTest, level);
}

void ProgramWriter::gatedDelay(std::uint32_t n, std::int32_t input, int state, int level) {
    if (n == 0) {
        return;
    }
    test(input, state, level);
    delay(n - 1, level, 1);
}

void ProgramWriter::waitLevel(std::int32_t input, int state, int level) {
    test(input, state == 0 ? 1 : 0, level);
    stall(level);
}

void ProgramWriter::waitEdge(std::int32_t input, int state, int level) {
    test(input, state, level);
    stall(level);
    test(input, state == 0 ? 1 : 0, level);
    stall(level);
}

void ProgramWriter::countEdge(std::int32_t input, int state, int level) {
    test(input, state, level);
    count(1, level);
    test(input, state == 0 ? 1 : 0, level);
    count(1, level);
}

std::int32_t ProgramWriter::testAndBranch(std::int32_t target, std::int32_t input, int state,
                                          int level) {
    test(input, state, level);
    return jump(target, 1, level);
}

void ProgramWriter::clockCount(std::uint32_t n, std::int32_t clock, int& phase, std::int32_t gate,
                               int gateState, int level) {
    if (n == 0) {
        return;
    }
    const int notGate = gateState == 0 ? 1 : 0;
    const std::int32_t low = constantPair(0u - n);
    load(low + 1, level);
    load(low, level);
    const std::int32_t again = here();
    waitLevel(clock, phase, level);
    const std::int32_t exitX = gate > 0 ? testAndBranch(0, gate, notGate, level) : -1;
    test(0, 0, level);
    tick(level);
    const std::int32_t exitY = jump(0, 1, level);
    waitLevel(clock, phase == 0 ? 1 : 0, level);
    const std::int32_t exitZ = gate > 0 ? testAndBranch(0, gate, notGate, level) : -1;
    test(0, 1, level);
    tick(level);
    jump(again, 1, level);
    for (const std::int32_t exit : {exitX, exitY, exitZ}) {
        if (exit >= 0) {
            patchToHere(exit);
        }
    }
    if (n % 2 == 1) {
        phase = phase == 0 ? 1 : 0;
    }
}

}  // namespace zo::quinteldrv

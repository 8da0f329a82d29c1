#include "tools/zousbdiag/program_text.h"

#include <cstdio>

#include "tools/zousbdiag/hex_text.h"

namespace zousbdiag {

namespace {

using zo::quinteldrv::Instruction;
using zo::quinteldrv::QnProgram;

// The fields as the hub reads them from the stored word.
struct DecodedWord {
    int level;
    int opcode;
    bool flagA;
    bool flagB;
    std::int32_t operand;
};

DecodedWord decode(const Instruction& instruction) {
    const std::uint16_t word = instruction.word();
    return {word >> 11 & 1, word >> 9 & 3, (word >> 8 & 1) != 0, (word >> 7 & 1) != 0, word & 0x7F};
}

std::string loadText(const char* form, std::int32_t constant, const QnProgram& program) {
    const std::string name = std::string(form) + " c" + std::to_string(constant);
    if (constant >= static_cast<std::int32_t>(QnProgram::kMaxConstants)) {
        return name + " (no such constant: 0)";
    }
    return name + " (" + hexNumber(program.constants[static_cast<std::size_t>(constant)], 4) + ")";
}

}  // namespace

std::string testInputName(std::int32_t input) {
    switch (input) {
        case 0:
            return "counter";
        case 1:
            return "A";
        case 2:
            return "B";
        default:
            return input <= 10 ? "out" + std::to_string(input - 3) : "in" + std::to_string(input);
    }
}

std::string instructionText(const Instruction& instruction, const QnProgram& program) {
    const DecodedWord word = decode(instruction);
    switch (word.opcode) {
        case 0:
            return loadText(word.flagB ? "load-second" : "load", word.operand, program);
        case 1:
            return !word.flagA ? "tick" : word.flagB ? "count tied" : "count";
        case 2:
            if (word.flagA) {
                return "test " + testInputName(word.operand >> 1) + "=" +
                       std::to_string(word.operand & 1);
            }
            return (word.flagB ? "jump-if " : "jump ") + std::to_string(word.operand);
        default:
            return word.flagA && word.flagB ? "stall" : "halt";
    }
}

std::string programText(const QnProgram& program) {
    std::string text = std::to_string(program.instructionCount) + " instructions, " +
                       std::to_string(program.constantCount) + " constants, entry 0 at " +
                       std::to_string(program.entry0) + ", entry 1 at " +
                       std::to_string(program.entry1) + "\n";
    for (std::int32_t i = 0; i < program.constantCount; ++i) {
        const std::int32_t value = program.constants[static_cast<std::size_t>(i)];
        text += "  c" + std::to_string(i) + " = " +
                hexNumber(static_cast<std::uint16_t>(value), 4) + " (" + std::to_string(value) +
                ")\n";
    }
    for (std::int32_t i = 0; i < program.instructionCount; ++i) {
        const Instruction& instruction = program.instructions[static_cast<std::size_t>(i)];
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%4d  level %d  ", i, decode(instruction).level);
        text += prefix + instructionText(instruction, program) + "\n";
    }
    return text;
}

}  // namespace zousbdiag

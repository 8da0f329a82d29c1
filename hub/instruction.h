#pragma once
// One twelve-bit sequencer instruction word and the form it takes when the sequencer runs it.
//
//   bit 11 level | bits 10..9 opcode | bit 8 flag A | bit 7 flag B | bits 6..0 operand
//
// The level is the output level driven while the instruction runs. Words the forms below leave
// unnamed run as the nearest form: opcode 1 without flag A is a tick whatever flag B holds, and
// opcode 3 without flag B is a halt whatever flag A holds.

#include <cstdint>

namespace zo::hub {

enum class InstructionForm : std::uint8_t {
    Load,        // opcode 0: counter <- counter << 16 | constant[operand]
    LoadSecond,  // opcode 0, flag B: a load that opens a repeated section (see hub/README.md)
    Tick,        // opcode 1: one count step (counter + 1)
    Count,       // opcode 1, flag A: count until the counter reaches 0; flag B ties it to the test
    Test,        // opcode 2, flag A: select input operand >> 1 and state operand & 1
    Jump,        // opcode 2: to operand; flag B: only while the last test holds
    Stall,       // opcode 3, flag A, flag B: wait while the last test holds
    Halt         // opcode 3: stop until started again
};

struct Instruction {
    bool level = false;
    InstructionForm form = InstructionForm::Load;
    bool flagB = false;
    std::uint8_t operand = 0;  // 0..127

    static constexpr Instruction decode(std::uint16_t word) {
        const auto opcode = (word >> 9) & 0x3;
        const bool flagA = (word & 0x100) != 0;
        const bool flagB = (word & 0x080) != 0;
        InstructionForm form = InstructionForm::Load;
        switch (opcode) {
            case 0:
                form = flagB ? InstructionForm::LoadSecond : InstructionForm::Load;
                break;
            case 1:
                form = flagA ? InstructionForm::Count : InstructionForm::Tick;
                break;
            case 2:
                form = flagA ? InstructionForm::Test : InstructionForm::Jump;
                break;
            default:
                form = flagA && flagB ? InstructionForm::Stall : InstructionForm::Halt;
                break;
        }
        return {(word & 0x800) != 0, form, flagB, static_cast<std::uint8_t>(word & 0x7F)};
    }

    // Count tied to the last test, or conditional jump.
    bool conditional() const { return flagB; }
};

}  // namespace zo::hub

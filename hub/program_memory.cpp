#include "hub/program_memory.h"

#include <algorithm>

namespace zo::hub {

bool ProgramMemory::write(LoadRegister which, std::uint8_t value) {
    bool changed = false;
    switch (which) {
        case LoadRegister::Strobe:
            instructionHigh_ = addressOrByte_ & 0x0F;
            instructionStrobed_ = true;
            break;
        case LoadRegister::AddressOrByte:
            if (instructionStrobed_) {
                if (start_ < kInstructionCount) {
                    changed =
                        store(start_, static_cast<std::uint16_t>(instructionHigh_ << 8 | value));
                }
                instructionStrobed_ = false;
            }
            addressOrByte_ = value;
            constantHighLoaded_ = false;
            break;
        case LoadRegister::ConstantData:
            if (!constantHighLoaded_) {
                constantHigh_ = value;
                constantHighLoaded_ = true;
                break;
            }
            if (addressOrByte_ < kConstantCount) {
                const auto constant = static_cast<std::uint16_t>(constantHigh_ << 8 | value);
                changed = constants_[addressOrByte_] != constant;
                constants_[addressOrByte_] = constant;
            }
            constantHighLoaded_ = false;
            break;
        case LoadRegister::Start:
            start_ = value;
            instructionStrobed_ = false;
            constantHighLoaded_ = false;
            break;
    }
    return changed;
}

std::uint8_t ProgramMemory::testedSource(const Instruction& instruction) {
    return static_cast<std::uint8_t>(std::min(instruction.operand >> 1, 16));
}

bool ProgramMemory::store(std::uint8_t address, std::uint16_t word) {
    if (instructions_[address] == word) {
        return false;
    }
    if (decoded_[address].form == InstructionForm::Test) {
        --testsOfSource_[testedSource(decoded_[address])];
    }
    instructions_[address] = word;
    decoded_[address] = Instruction::decode(word);
    if (decoded_[address].form == InstructionForm::Test) {
        ++testsOfSource_[testedSource(decoded_[address])];
    }
    return true;
}

std::uint16_t ProgramMemory::testedSources() const {
    std::uint16_t sources = 0;
    for (std::size_t source = 0; source < 16; ++source) {
        if (testsOfSource_[source] != 0) {
            sources = static_cast<std::uint16_t>(sources | 1U << source);
        }
    }
    return sources;
}

void ProgramMemory::dropPendingLoads() {
    start_ = 0;
    addressOrByte_ = 0;
    instructionHigh_ = 0;
    instructionStrobed_ = false;
    constantHigh_ = 0;
    constantHighLoaded_ = false;
}

}  // namespace zo::hub

#include "hub/program_memory.h"

namespace zo::hub {

void ProgramMemory::write(LoadRegister which, std::uint8_t value) {
    switch (which) {
        case LoadRegister::Strobe:
            instructionHigh_ = addressOrByte_ & 0x0F;
            instructionStrobed_ = true;
            break;
        case LoadRegister::AddressOrByte:
            if (instructionStrobed_) {
                if (start_ < kInstructionCount) {
                    instructions_[start_] =
                        static_cast<std::uint16_t>(instructionHigh_ << 8 | value);
                    decoded_[start_] = Instruction::decode(instructions_[start_]);
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
                constants_[addressOrByte_] = static_cast<std::uint16_t>(constantHigh_ << 8 | value);
            }
            constantHighLoaded_ = false;
            break;
        case LoadRegister::Start:
            start_ = value;
            instructionStrobed_ = false;
            constantHighLoaded_ = false;
            break;
    }
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

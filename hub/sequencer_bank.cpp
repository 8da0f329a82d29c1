#include "hub/sequencer_bank.h"

namespace zo::hub {

void SequencerBank::load(std::uint8_t reg, std::uint8_t value) {
    programs_.at(reg / 4).write(static_cast<LoadRegister>(reg % 4), value);
}

void SequencerBank::clear() {
    for (ProgramMemory& program : programs_) {
        program.clear();
    }
}

}  // namespace zo::hub

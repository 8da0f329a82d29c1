#pragma once
// The hub's nine sequencers as the register file sees them: it hands every write of a loading
// register here and asks here for the measurement's result and status.
//
// This is where running the loaded programs belongs. For now the sequencers only hold what is
// loaded into them: the measurement result reads 0 and the measurement never finishes.

#include <array>
#include <cstdint>

#include "hub/program_memory.h"
#include "hub/register_map.h"

namespace zo::hub {

class SequencerBank {
  public:
    // `reg` is a loading register (below kFirstNonLoadRegister).
    void load(std::uint8_t reg, std::uint8_t value);
    void clear();

    std::uint16_t measurementResult() const { return 0; }
    bool measurementFinished() const { return false; }

    const ProgramMemory& program(std::size_t sequencer) const { return programs_.at(sequencer); }

  private:
    std::array<ProgramMemory, kSequencerCount> programs_{};
};

}  // namespace zo::hub

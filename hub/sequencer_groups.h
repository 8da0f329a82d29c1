#pragma once
// Splits the running sequencers into groups that do not see each other: a sequencer whose program
// may test another's output (sources 3..10) joins that sequencer's group. Each group can then be
// simulated on its own, with repetitions as short as its own programs make them, instead of the
// product of all the sequencers' periods.

#include <array>
#include <cstddef>
#include <cstdint>

#include "hub/program_memory.h"
#include "hub/register_map.h"
#include "hub/sequencer.h"

namespace zo::hub {

struct SequencerGroups {
    // Bit i of a group: sequencer i (0..8) belongs to it.
    std::array<std::uint16_t, kSequencerCount> members{};
    std::size_t count = 0;
};

// Only running sequencers are placed; a stopped or halted one changes nothing until a register
// write starts it again.
SequencerGroups independentGroups(const std::array<Sequencer, kSequencerCount>& sequencers,
                                  const std::array<ProgramMemory, kSequencerCount>& programs);

}  // namespace zo::hub

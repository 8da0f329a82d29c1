#pragma once
// A sequencer program as the library keeps it for each of the hub's nine sequencers (eight
// channels, then the measurement): instruction fields before they are packed into 12-bit words,
// the 16-bit constants, and the two start addresses.

#include <array>
#include <cstdint>

namespace zo::quinteldrv {

inline constexpr std::size_t kProgramCount = 9;  // channels 0..7, then the measurement
inline constexpr std::size_t kMeasurementProgram = 8;

struct SequencerInstruction {
    std::int32_t level = 0;
    std::int32_t opcode = 0;
    std::int32_t flagA = 0;
    std::int32_t flagB = 0;
    std::int32_t operand = 0;
};

struct SequencerProgram {
    std::array<SequencerInstruction, 128> instructions{};
    std::int32_t instructionCount = 0;
    std::array<std::int32_t, 64> constants{};
    std::int32_t constantCount = 0;
    std::int32_t entry0 = 0;  // where the program is armed to start
    std::int32_t entry1 = 0;  // the measurement program's read-out step
};
static_assert(sizeof(SequencerProgram) == (128 * 5 + 1 + 64 + 1 + 2) * 4);

}  // namespace zo::quinteldrv

#pragma once
// The register writes that load a program into sequencer p (0..7 the channels, 8 the
// measurement), in the order the hub's loading protocol takes them.

#include <cstdint>
#include <vector>

#include "library/compiler/sequencer_program.h"

namespace zo::quinteldrv {

struct RegisterWrite {
    std::uint8_t reg;
    std::uint8_t value;
    bool operator==(const RegisterWrite&) const = default;
};

// Switches the sequencer's outputs off (0x40 for a channel, 0x41 for the measurement), resets the
// instruction address, then loads every constant (address, high byte, low byte) and every
// instruction (address, high bits, strobe, low byte).
std::vector<RegisterWrite> uploadWrites(const QnProgram& program, std::size_t sequencer);

}  // namespace zo::quinteldrv

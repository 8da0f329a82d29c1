#pragma once
// The register sequences with which the library loads a program and restarts the outputs, for the
// hub's tests and benchmarks. `write(reg, value)` performs one register write.

#include <array>
#include <cstdint>

#include "hub/register_map.h"
#include "hub/tests/program_builder.h"

namespace zo::hub::test {

// All outputs off, every channel of `mask` armed at its entry, then all enabled together.
template <typename Write>
void restartOutputs(Write&& write, std::uint8_t mask, const std::array<std::uint8_t, 8>& entries) {
    write(kOutputEnable, 0);
    for (std::uint8_t channel = 0; channel < 8; ++channel) {
        if ((mask >> channel & 1) != 0) {
            write(static_cast<std::uint8_t>(4 * channel + 3), entries[channel]);
        }
    }
    write(kOutputEnable, mask);
}

// Program p (0..7 channels, 8 measurement): its sequencer stopped, constants, then instructions.
// A channel's upload is followed by restartOutputs in the library.
template <typename Write>
void uploadProgram(Write&& write, std::uint8_t p, const TestProgram& program) {
    const auto reg = [p](unsigned offset) { return static_cast<std::uint8_t>(4 * p + offset); };
    write(p < 8 ? kOutputEnable : kMeasurementControl, 0);
    write(reg(3), 0);
    for (std::size_t i = 0; i < program.constants.size(); ++i) {
        write(reg(1), static_cast<std::uint8_t>(i));
        write(reg(2), static_cast<std::uint8_t>(program.constants[i] >> 8));
        write(reg(2), static_cast<std::uint8_t>(program.constants[i] & 0xFF));
    }
    for (std::size_t j = 0; j < program.words.size(); ++j) {
        write(reg(3), static_cast<std::uint8_t>(j));
        write(reg(1), static_cast<std::uint8_t>(program.words[j] >> 8));
        write(reg(0), 0);
        write(reg(1), static_cast<std::uint8_t>(program.words[j] & 0xFF));
    }
}

}  // namespace zo::hub::test

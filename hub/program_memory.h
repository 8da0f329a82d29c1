#pragma once
// One sequencer's memories and the latches that load them through its four registers.
//
// Loading protocol (R = 4p):
//   constants:    R+1 <- address, R+2 <- high byte, R+2 <- low byte (stored on the low byte)
//   instructions: R+3 <- address, R+1 <- bits 11..8, R+0 <- strobe, R+1 <- bits 7..0 (stored on
//                 the second byte)
// Writing R+1 (as an address) or R+3 restarts the constant's byte pair; writing R+3 also drops a
// half-loaded instruction. An address beyond the memory stores nothing.

#include <array>
#include <cstdint>

#include "hub/instruction.h"
#include "hub/register_map.h"

namespace zo::hub {

class ProgramMemory {
  public:
    static constexpr std::size_t kInstructionCount = 128;
    static constexpr std::size_t kConstantCount = 64;

    // Returns whether a stored instruction or constant changed: what the program does.
    bool write(LoadRegister which, std::uint8_t value);
    void clear() { *this = ProgramMemory{}; }
    // Forgets a half-loaded constant or instruction and the armed start; the program stays.
    void dropPendingLoads();

    // Twelve-bit instruction words and sixteen-bit constants.
    const std::array<std::uint16_t, kInstructionCount>& instructions() const {
        return instructions_;
    }
    const std::array<std::uint16_t, kConstantCount>& constants() const { return constants_; }
    // The same instructions decoded, kept up to date on every store so that a running sequencer
    // does not decode a word on every tick.
    const Instruction& decoded(std::size_t index) const { return decoded_[index]; }
    std::uint8_t startAddress() const { return start_; }
    // Bit s (0..15): some test instruction of the program names source s.
    std::uint16_t testedSources() const;

  private:
    // Whether the word differs from the one stored before.
    bool store(std::uint8_t address, std::uint16_t word);
    static std::uint8_t testedSource(const Instruction& instruction);

    std::array<std::uint16_t, kInstructionCount> instructions_{};
    std::array<Instruction, kInstructionCount> decoded_{};
    std::array<std::uint16_t, kConstantCount> constants_{};
    // Test instructions per source they name; sources from 16 on all count as 16 (they read low).
    std::array<std::uint8_t, 17> testsOfSource_{};
    std::uint8_t start_ = 0;
    std::uint8_t addressOrByte_ = 0;
    std::uint8_t instructionHigh_ = 0;
    bool instructionStrobed_ = false;
    std::uint8_t constantHigh_ = 0;
    bool constantHighLoaded_ = false;
};

}  // namespace zo::hub

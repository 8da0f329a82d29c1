#pragma once
// A sequencer program as the library keeps it for each of the hub's nine sequencers: up to 128
// instructions and 64 sixteen-bit constants, with the two places it is started from.

#include <array>
#include <cstdint>

namespace zo::quinteldrv {

inline constexpr std::size_t kProgramCount = 9;  // channels 0..7, then the measurement
inline constexpr std::size_t kMeasurementProgram = 8;

struct Instruction {
    std::int32_t level = 0;   // output level while the instruction runs
    std::int32_t opcode = 0;  // 0 load, 1 tick/count, 2 test/jump, 3 stall/halt
    std::int32_t flagA = 0;
    std::int32_t flagB = 0;
    std::int32_t operand = 0;

    // The 12-bit word the hub stores: level, opcode, flag A, flag B, operand, each masked.
    std::uint16_t word() const {
        return static_cast<std::uint16_t>((level & 1) << 11 | (opcode & 3) << 9 | (flagA & 1) << 8 |
                                          (flagB & 1) << 7 | (operand & 0x7F));
    }
    bool operator==(const Instruction&) const = default;
};

struct QnProgram {
    static constexpr std::size_t kMaxInstructions = 128;
    static constexpr std::size_t kMaxConstants = 64;

    std::array<Instruction, kMaxInstructions> instructions{};
    std::int32_t instructionCount = 0;
    std::array<std::int32_t, kMaxConstants> constants{};
    std::int32_t constantCount = 0;
    std::int32_t entry0 = 0;  // where the output restart and the measurement start arm it
    std::int32_t entry1 = 0;  // the measurement's read-out step

    void clear() { *this = QnProgram{}; }
};
static_assert(sizeof(Instruction) == 20);
static_assert(sizeof(QnProgram) == 128 * 20 + 4 + 64 * 4 + 4 + 4 + 4);

}  // namespace zo::quinteldrv

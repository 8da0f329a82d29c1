// The sequencer loading protocol, driven through the register file exactly as the library's
// upload sequence writes it.

#include <gtest/gtest.h>

#include <algorithm>
#include "hub/register_file.h"

namespace zo::hub {
namespace {

void loadConstant(RegisterFile& registers, int program, std::uint8_t index, std::uint16_t value) {
    const auto base = static_cast<std::uint8_t>(4 * program);
    registers.write(static_cast<std::uint8_t>(base + 1), index);
    registers.write(static_cast<std::uint8_t>(base + 2), static_cast<std::uint8_t>(value >> 8));
    registers.write(static_cast<std::uint8_t>(base + 2), static_cast<std::uint8_t>(value & 0xFF));
}

void loadInstruction(RegisterFile& registers, int program, std::uint8_t index, std::uint16_t word) {
    const auto base = static_cast<std::uint8_t>(4 * program);
    registers.write(static_cast<std::uint8_t>(base + 3), index);
    registers.write(static_cast<std::uint8_t>(base + 1), static_cast<std::uint8_t>(word >> 8));
    registers.write(base, 0);
    registers.write(static_cast<std::uint8_t>(base + 1), static_cast<std::uint8_t>(word & 0xFF));
}

TEST(ProgramMemory, UploadSequenceFillsConstantsAndInstructions) {
    RegisterFile registers;
    registers.write(4 * 2 + 3, 0);
    loadConstant(registers, 2, 0, 0xFFFE);
    loadConstant(registers, 2, 1, 0x1234);
    loadInstruction(registers, 2, 0, 0x000);
    loadInstruction(registers, 2, 1, 0xC85);  // level 1, jump if, target 5: bytes 0x0C, 0x85
    loadInstruction(registers, 2, 127, 0xFFF);

    const ProgramMemory& program = registers.sequencers().program(2);
    EXPECT_EQ(program.constants()[0], 0xFFFE);
    EXPECT_EQ(program.constants()[1], 0x1234);
    EXPECT_EQ(program.instructions()[1], 0xC85);
    EXPECT_EQ(program.instructions()[127], 0xFFF);
    for (std::size_t p = 0; p < kSequencerCount; ++p) {
        if (p != 2) {
            EXPECT_EQ(registers.sequencers().program(p).instructions()[1], 0) << p;
        }
    }
}

TEST(ProgramMemory, InstructionNeedsTheStrobeBetweenItsBytes) {
    RegisterFile registers;
    registers.write(3, 4);
    registers.write(1, 0x0A);
    registers.write(1, 0xBC);  // no strobe: an address, not an instruction byte
    EXPECT_EQ(registers.sequencers().program(0).instructions()[4], 0);
    registers.write(0, 0);
    registers.write(1, 0xDE);
    EXPECT_EQ(registers.sequencers().program(0).instructions()[4], 0xCDE);  // high part 0xBC & 0xF
}

TEST(ProgramMemory, AddressWriteRestartsAConstantsBytePair) {
    RegisterFile registers;
    registers.write(1, 3);
    registers.write(2, 0x11);  // high byte, then the address is written again
    loadConstant(registers, 0, 3, 0xABCD);
    EXPECT_EQ(registers.sequencers().program(0).constants()[3], 0xABCD);
}

TEST(ProgramMemory, AddressesBeyondTheMemoriesStoreNothing) {
    RegisterFile registers;
    loadConstant(registers, 1, 64, 0x5555);
    loadInstruction(registers, 1, 128, 0x555);
    const ProgramMemory& program = registers.sequencers().program(1);
    EXPECT_EQ(std::count(program.constants().begin(), program.constants().end(), 0), 64);
    EXPECT_EQ(std::count(program.instructions().begin(), program.instructions().end(), 0), 128);
}

TEST(ProgramMemory, MeasurementProgramLoadsThroughItsResultRegisters) {
    RegisterFile registers;
    loadConstant(registers, 8, 0, 0x0102);
    loadInstruction(registers, 8, 2, 0x9A0);
    registers.write(35, 6);  // armed at 6
    const ProgramMemory& program = registers.sequencers().program(8);
    EXPECT_EQ(program.constants()[0], 0x0102);
    EXPECT_EQ(program.instructions()[2], 0x9A0);
    EXPECT_EQ(program.startAddress(), 6);
    EXPECT_EQ(registers.read(32), 0);  // reads show the result, not the loading bytes
    EXPECT_EQ(registers.read(33), 0);
    EXPECT_EQ(registers.read(35), 6);
}

TEST(ProgramMemory, ResetClearsTheMemoriesAndLatches) {
    RegisterFile registers;
    loadConstant(registers, 0, 0, 0x1234);
    registers.write(3, 9);
    registers.write(1, 0x0F);
    registers.write(0, 0);  // half an instruction pending
    registers.reset();
    EXPECT_EQ(registers.sequencers().program(0).constants()[0], 0);
    EXPECT_EQ(registers.sequencers().program(0).startAddress(), 0);
    registers.write(1, 0x77);  // after the reset an address again, not the pending low byte
    EXPECT_EQ(registers.sequencers().program(0).instructions()[9], 0);
    EXPECT_EQ(registers.sequencers().program(0).instructions()[0], 0);
}

}  // namespace
}  // namespace zo::hub

// The register writes that load a program.

#include "library/compiler/program_upload.h"

#include <gtest/gtest.h>

#include "library/compiler/program_builders.h"

namespace zo::quinteldrv {
namespace {

TEST(ProgramUpload, AnEmptyMeasurementProgramSendsOnlyTheControlWrites) {
    QnProgram empty;
    ASSERT_TRUE(buildMeasurementProgram({0, 0, 0}, empty));
    EXPECT_EQ(uploadWrites(empty, 8), (std::vector<RegisterWrite>{{0x41, 0}, {35, 0}}));
}

TEST(ProgramUpload, ConstantsThenInstructionsGoThroughTheProgramsRegisters) {
    QnProgram program;
    program.constants[0] = 0xABCD;
    program.constantCount = 1;
    program.instructions[0] = {1, 2, 0, 1, 5};
    program.instructionCount = 1;
    EXPECT_EQ(uploadWrites(program, 2), (std::vector<RegisterWrite>{{0x40, 0},
                                                                    {11, 0},
                                                                    {9, 0},
                                                                    {10, 0xAB},
                                                                    {10, 0xCD},
                                                                    {11, 0},
                                                                    {9, 0x0C},
                                                                    {8, 0},
                                                                    {9, 0x85}}));
}

TEST(ProgramUpload, CostsThreeWritesPerConstantAndFourPerInstruction) {
    QnProgram program;
    ChannelBlock block{};
    block[kHighTimeWord] = 10;
    block[kLowTimeWord] = 10;
    ASSERT_TRUE(buildChannelProgram(block, program));
    EXPECT_EQ(uploadWrites(program, 0).size(), 2u + 3 * 4 + 4 * 7);
}

}  // namespace
}  // namespace zo::quinteldrv

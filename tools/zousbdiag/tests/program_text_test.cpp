#include "tools/zousbdiag/program_text.h"

#include <gtest/gtest.h>

#include "library/compiler/program_builders.h"
#include "library/compiler/program_writer.h"

namespace zousbdiag {
namespace {

using zo::quinteldrv::ProgramWriter;
using zo::quinteldrv::QnProgram;

TEST(ProgramText, NamesEveryFormWithItsLevelOperandAndInput) {
    QnProgram program;
    ProgramWriter writer(program);
    writer.constant(0x1234);
    writer.load(0, 1);
    writer.loadSecond(70, 0);
    writer.tick(1);
    writer.count(0, 0);
    writer.count(1, 1);
    writer.test(0, 1, 0);
    writer.test(2, 0, 0);
    writer.test(10, 1, 0);
    writer.test(11, 0, 0);
    writer.jump(3, 0, 1);
    writer.jump(127, 1, 0);
    writer.stall(0);
    writer.halt(1);
    program.entry1 = 12;
    EXPECT_EQ(programText(program),
              "13 instructions, 1 constants, entry 0 at 0, entry 1 at 12\n"
              "  c0 = 0x1234 (4660)\n"
              "   0  level 1  load c0 (0x1234)\n"
              "   1  level 0  load-second c70 (no such constant: 0)\n"
              "   2  level 1  tick\n"
              "   3  level 0  count\n"
              "   4  level 1  count tied\n"
              "   5  level 0  test counter=1\n"
              "   6  level 0  test B=0\n"
              "   7  level 0  test out7=1\n"
              "   8  level 0  test in11=0\n"
              "   9  level 1  jump 3\n"
              "  10  level 0  jump-if 127\n"
              "  11  level 0  stall\n"
              "  12  level 1  halt\n");
}

TEST(ProgramText, DecodesWordsNoFormNamesAsTheHubRunsThem) {
    QnProgram program;
    // Opcode 1 without flag A is a tick whatever flag B says; opcode 3 without both flags halts;
    // fields are read masked, as the hub stores them.
    EXPECT_EQ(instructionText({0, 1, 0, 1, 0}, program), "tick");
    EXPECT_EQ(instructionText({0, 3, 0, 1, 0}, program), "halt");
    EXPECT_EQ(instructionText({0, 3, 1, 0, 0}, program), "halt");
    EXPECT_EQ(instructionText({0, 2, 0, 0, 0x85}, program), "jump 5");
}

TEST(ProgramText, ShowsAModeZeroChannelAsTwoDelaysAndAJumpBack) {
    zo::quinteldrv::ChannelBlock channel{};
    channel[zo::quinteldrv::kHighTimeWord] = 30;
    channel[zo::quinteldrv::kLowTimeWord] = 20;
    QnProgram program;
    ASSERT_TRUE(zo::quinteldrv::buildChannelProgram(channel, program));
    // delay(30) at level 1 counts up from 2 - 30; delay(20 - 1) at level 0 from 2 - 19.
    EXPECT_EQ(programText(program),
              "7 instructions, 4 constants, entry 0 at 0, entry 1 at 0\n"
              "  c0 = 0xFFE4 (65508)\n"
              "  c1 = 0xFFFF (65535)\n"
              "  c2 = 0xFFEF (65519)\n"
              "  c3 = 0xFFFF (65535)\n"
              "   0  level 1  load c1 (0xFFFF)\n"
              "   1  level 1  load c0 (0xFFE4)\n"
              "   2  level 1  count\n"
              "   3  level 0  load c3 (0xFFFF)\n"
              "   4  level 0  load c2 (0xFFEF)\n"
              "   5  level 0  count\n"
              "   6  level 0  jump 0\n");
}

}  // namespace
}  // namespace zousbdiag

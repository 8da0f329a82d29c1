// Runs the commands that operate a device through the library in the built tool: each run is a
// fresh simulated machine, so settings travel with the command that needs them.

#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "tools/zousbdiag/tests/tool_run.h"

namespace {

using zousbdiag::testing_support::contains;
using zousbdiag::testing_support::distinctLines;
using zousbdiag::testing_support::runTool;
using zousbdiag::testing_support::ToolRun;

std::filesystem::path temporaryFile(const std::string& name) {
    return std::filesystem::path(testing::TempDir()) /
           ("zousbdiag_" + std::to_string(getpid()) + "_" + name);
}

// The times (ns) of every rising edge of one wire of a VCD file, read by its wire name.
std::vector<std::uint64_t> risingEdges(const std::filesystem::path& path, const std::string& wire) {
    std::ifstream file(path);
    std::string line;
    std::string code;
    std::uint64_t now = 0;
    std::vector<std::uint64_t> edges;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first == "$var") {
            std::string type, width, identifier, name;
            words >> type >> width >> identifier >> name;
            code = name == wire ? identifier : code;
        } else if (first.starts_with("#")) {
            now = std::stoull(first.substr(1));
        } else if (!code.empty() && first == "1" + code) {
            edges.push_back(now);
        }
    }
    return edges;
}

const std::vector<std::string> kModeZeroSettings = {"--set", "0:HIGH_TIME=30", "--set",
                                                    "0:LOW_TIME=20"};

TEST(ZousbdiagOperations, DisassemblesTheCompiledProgramOfAChannelWithItsSettings) {
    std::vector<std::string> arguments = {"disassemble", "1", "0"};
    arguments.insert(arguments.end(), kModeZeroSettings.begin(), kModeZeroSettings.end());
    const ToolRun run = runTool("sim", arguments);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out,
                         "Channel 0 program: 7 instructions, 4 constants, entry 0 at 0, entry 1 "
                         "at 0\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "   1  level 1  load c0 (0xFFE4)\n   2  level 1  count\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "   6  level 0  jump 0\n")) << run.out;

    const ToolRun measurement = runTool("sim", {"disassemble", "1", "8"});
    EXPECT_EQ(measurement.exitStatus, 0) << measurement.err;
    EXPECT_TRUE(contains(measurement.out, "Measurement program: ")) << measurement.out;
    EXPECT_TRUE(contains(measurement.out, "level 0  test A=1\n")) << measurement.out;
    EXPECT_TRUE(contains(measurement.out, "level 1  halt\n")) << measurement.out;
}

TEST(ZousbdiagOperations, SetsParametersAndSwitchesOutputsOrSaysWhatTheLibraryRefused) {
    const ToolRun set = runTool("sim", {"set", "1", "0", "HIGH_TIME", "30", "8", "LOW_TIME", "20"});
    EXPECT_EQ(set.exitStatus, 0) << set.err;
    EXPECT_EQ(set.out,
              "Channel 0  HIGH_TIME = 30\nAll channels  LOW_TIME = 20\nSettings refreshed.\n");

    const ToolRun unknown = runTool("sim", {"set", "1", "0", "9", "1"});
    EXPECT_EQ(unknown.exitStatus, 1);
    EXPECT_TRUE(contains(unknown.err,
                         "QnSetParameter refused channel 0 parameter 9 = 1: "
                         "QN_ERR_BAD_ID (2)"))
        << unknown.err;

    const ToolRun open = runTool("sim", {"outputs", "1", "open", "0x81", "--set", "7:MODE=0"});
    EXPECT_EQ(open.exitStatus, 0) << open.err;
    EXPECT_EQ(open.out, "Opened outputs 0x81\n");
    const ToolRun close = runTool("sim", {"outputs", "1", "close", "0xff"});
    EXPECT_EQ(close.exitStatus, 0) << close.err;
    EXPECT_EQ(close.out, "Closed outputs 0xff\n");

    const ToolRun missing = runTool("sim", {"outputs", "2", "open", "1"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_TRUE(contains(missing.err, "no device with identifier 2")) << missing.err;
}

TEST(ZousbdiagOperations, MeasuresInputAOfADefaultHubWaitingOrInTheBackground) {
    for (const bool background : {false, true}) {
        std::vector<std::string> arguments = {"measure", "1", "A"};
        if (background) {
            arguments.push_back("--background");
        }
        const ToolRun run = runTool("sim", arguments);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.out, "Period  1000000 ns\nFrequency  1000 Hz\n");
    }
    // Without a signal on input B the bounded wait ends with a clear complaint.
    for (const bool background : {false, true}) {
        std::vector<std::string> arguments = {"measure", "1", "B", "--timeout", "20"};
        if (background) {
            arguments.push_back("--background");
        }
        const ToolRun silent = runTool("sim:b=0", arguments);
        EXPECT_EQ(silent.exitStatus, 1);
        EXPECT_TRUE(contains(silent.err, "no measurement within 20 ms")) << silent.err;
    }
    const ToolRun inputB = runTool("sim:b=2500", {"measure", "1", "2", "--mode", "1"});
    EXPECT_EQ(inputB.exitStatus, 0) << inputB.err;
    EXPECT_EQ(inputB.out, "Edge to opposite edge  200000 ns\n");
}

TEST(ZousbdiagOperations, MeasuresAnOutputItProgramsAndOpensInTheSameRun) {
    const ToolRun run = runTool("sim", {"measure", "1", "out0", "--set", "0:HIGH_TIME=30", "--set",
                                        "0:LOW_TIME=21", "--outputs", "1", "--background"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "Period  1020 ns\nFrequency  980392.157 Hz\n");
}

TEST(ZousbdiagOperations, CapturesAModeZeroChannelIntoAVcdWithTheProgrammedPeriod) {
    const std::filesystem::path vcd = temporaryFile("mode0.vcd");
    std::vector<std::string> arguments = {"capture", "1", "5", vcd.string()};
    arguments.insert(arguments.end(), kModeZeroSettings.begin(), kModeZeroSettings.end());
    const ToolRun run = runTool("sim", arguments);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "outputs 0x1 open, into " + vcd.string())) << run.out;

    // 30 + 20 ticks of 20 ns: a rising edge every 1000 ns for (at least) the 5 ms.
    const std::vector<std::uint64_t> edges = risingEdges(vcd, "out0");
    ASSERT_GE(edges.size(), 4999u);
    for (std::size_t i = 1; i < edges.size(); ++i) {
        ASSERT_EQ(edges[i] - edges[i - 1], 1000u) << "at edge " << i;
    }
    EXPECT_TRUE(risingEdges(vcd, "out1").empty());
    EXPECT_FALSE(risingEdges(vcd, "inA").empty());  // the 1 kHz input is recorded too

    if (std::system("command -v sigrok-cli > /dev/null 2>&1") != 0) {
        std::filesystem::remove(vcd);
        GTEST_SKIP() << "sigrok-cli is not installed: the VCD was checked by this test only";
    }
    const std::map<std::string, int> periods =
        distinctLines("sigrok-cli -i '" + vcd.string() +
                      "' -I vcd -P timing:data=out0:edge=rising -A timing=time 2>&1");
    std::filesystem::remove(vcd);
    ASSERT_EQ(periods.size(), 1u) << "sigrok-cli printed " << periods.size() << " kinds of line";
    EXPECT_EQ(periods.begin()->first, "timing-1: 1.000 μs (1.000 MHz)\n");
    EXPECT_GE(periods.begin()->second, 5000 - 1);
}

TEST(ZousbdiagOperations, CaptureRefusesAFileItCannotWrite) {
    const ToolRun run =
        runTool("sim", {"capture", "1", "1", "/nonexistent-folder/out.vcd", "--outputs", "1"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(contains(run.err, "cannot write /nonexistent-folder/out.vcd")) << run.err;
}

}  // namespace

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
              "Channel 0  HIGH_TIME = 30 (600ns)\nAll channels  LOW_TIME = 20 (400ns)\n"
              "Settings refreshed.\n");
    EXPECT_TRUE(contains(set.err, "warning: the outputs stay closed, so nothing comes out"))
        << set.err;

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
        EXPECT_EQ(run.out, "Period  1000000 ns (1ms)\nFrequency  1000 Hz\n");
    }
    // Without a signal on input B the bounded wait ends with a clear complaint.
    for (const bool background : {false, true}) {
        std::vector<std::string> arguments = {"measure", "1", "B", "--timeout", "20"};
        if (background) {
            arguments.push_back("--background");
        }
        const ToolRun silent = runTool("sim:b=0", arguments);
        EXPECT_EQ(silent.exitStatus, 1);
        EXPECT_TRUE(contains(silent.err, "warning: input B has no signal")) << silent.err;
        EXPECT_TRUE(contains(silent.err, "no measurement within 20 ms")) << silent.err;
    }
    // An input faster than the hub can time has no period, waiting or in the background.
    for (const bool background : {false, true}) {
        std::vector<std::string> arguments = {"measure", "1", "A"};
        if (background) {
            arguments.push_back("--background");
        }
        const ToolRun fast = runTool("sim:a=20000000", arguments);
        EXPECT_EQ(fast.exitStatus, 1);
        EXPECT_EQ(fast.out, "");
        EXPECT_TRUE(contains(fast.err, "no period: the input changes faster than the hub can time"))
            << fast.err;
    }
    const ToolRun inputB = runTool("sim:b=2500", {"measure", "1", "2", "--mode", "1"});
    EXPECT_EQ(inputB.exitStatus, 0) << inputB.err;
    EXPECT_EQ(inputB.out, "Edge to opposite edge  200000 ns (200us)\n");
}

TEST(ZousbdiagOperations, MeasuresAnOutputItProgramsAndOpensInTheSameRun) {
    const ToolRun run = runTool("sim", {"measure", "1", "out0", "--set", "0:HIGH_TIME=30", "--set",
                                        "0:LOW_TIME=21", "--outputs", "1", "--background"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "Period  1020 ns (1.02us)\nFrequency  980392.157 Hz\n");
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

TEST(ZousbdiagUnits, DerivesLowTimesFromPeriodsAndShowsTimesInReadableUnits) {
    const ToolRun run =
        runTool("sim", {"set", "1", "8", "HIGH_TIME", "250us", "8", "PERIOD", "1kHz", "3", "DELAY",
                        "7ns", "3", "HIGH_TIME2", "2", "3", "PERIOD2", "10"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out,
              "All channels  HIGH_TIME = 12500 (250us)\n"
              "All channels  PERIOD = 50000 (1ms, 1kHz): LOW_TIME = 37500 (750us)\n"
              "Channel 3  DELAY = 0 (0ns)\n"
              "Channel 3  HIGH_TIME2 = 2 (40ns)\n"
              "Channel 3  PERIOD2 = 10 (200ns, 5MHz): LOW_TIME2 = 8 (160ns)\n"
              "Settings refreshed.\n");
    EXPECT_TRUE(contains(run.err,
                         "zousbdiag: note: DELAY=7ns is no whole number of 20 ns ticks: "
                         "it becomes 0 ticks (0ns)\n"))
        << run.err;

    const ToolRun settings = runTool("sim", {"settings", "1"});
    EXPECT_TRUE(contains(settings.out, "HIGH_TIME             1          1")) << settings.out;
    EXPECT_TRUE(contains(settings.out, "  = time           20ns       20ns")) << settings.out;
}

TEST(ZousbdiagUnits, RefusesPeriodsThatContradictAndTimesInExternalClockMode) {
    const ToolRun shorter =
        runTool("sim", {"set", "1", "0", "HIGH_TIME", "250us", "0", "PERIOD", "10kHz"});
    EXPECT_EQ(shorter.exitStatus, 1);
    EXPECT_TRUE(contains(shorter.err,
                         "PERIOD 5000 (100us) of channel 0 is not longer than its "
                         "HIGH_TIME 12500 (250us)"))
        << shorter.err;

    const ToolRun both = runTool("sim", {"set", "1", "8", "PERIOD", "1ms", "2", "LOW_TIME", "5"});
    EXPECT_EQ(both.exitStatus, 1);
    EXPECT_TRUE(contains(both.err,
                         "PERIOD sets LOW_TIME of all channels, which this command also "
                         "sets; give one of them"))
        << both.err;

    // The mode decides after all settings, whatever their order.
    const ToolRun external =
        runTool("sim", {"set", "1", "0", "HIGH_TIME", "1us", "0", "MODE", "external"});
    EXPECT_EQ(external.exitStatus, 1);
    EXPECT_TRUE(contains(external.err,
                         "channel 0 is in mode 1 (External), where HIGH_TIME counts "
                         "transitions of the clock input, not time: give a plain "
                         "number"))
        << external.err;
    const ToolRun transitions =
        runTool("sim", {"set", "1", "0", "HIGH_TIME", "4", "0", "MODE", "1"});
    EXPECT_EQ(transitions.exitStatus, 0) << transitions.err;
    EXPECT_TRUE(contains(transitions.out, "Channel 0  HIGH_TIME = 4\n")) << transitions.out;
}

TEST(ZousbdiagWarnings, SaysWhenNothingComesOut) {
    const ToolRun zero = runTool("sim", {"outputs", "1", "open", "0x3", "--set", "0:HIGH_TIME=0",
                                         "--set", "0:LOW_TIME=0", "--set", "1:MODE=burst"});
    EXPECT_EQ(zero.exitStatus, 0) << zero.err;
    EXPECT_EQ(zero.err,
              "zousbdiag: warning: output 0 shows no pulse: HIGH_TIME is 0, so the output never "
              "becomes active\n"
              "zousbdiag: warning: output 1 shows no pulse: it waits for a trigger, and "
              "GATE_SOURCE is none\n");

    const ToolRun none = runTool("sim", {"outputs", "1", "open", "0"});
    EXPECT_TRUE(contains(none.err, "warning: no output is open, so nothing comes out")) << none.err;

    const ToolRun closed = runTool("sim", {"measure", "1", "out2", "--timeout", "20"});
    EXPECT_TRUE(contains(closed.err,
                         "warning: out2 is closed and stays low; the measurement "
                         "waits for an edge that never comes (open it with "
                         "--outputs 0x4)"))
        << closed.err;

    const std::filesystem::path vcd = temporaryFile("silent.vcd");
    const ToolRun noSignal = runTool("sim:a=0", {"capture", "1", "1", vcd.string(), "--set",
                                                 "4:MODE=burst", "--set", "4:GATE_SOURCE=A"});
    EXPECT_EQ(noSignal.exitStatus, 0) << noSignal.err;
    EXPECT_TRUE(contains(noSignal.err,
                         "warning: output 4 shows no pulse: it waits for "
                         "GATE_SOURCE (input A) to go high, which stays low"))
        << noSignal.err;
    std::filesystem::remove(vcd);
}

// iso-read and stream in the built tool, each run a fresh process with its own simulated hub.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "tools/zousbdiag/tests/tool_run.h"

namespace {

using zousbdiag::testing_support::contains;
using zousbdiag::testing_support::distinctLines;
using zousbdiag::testing_support::runTool;
using zousbdiag::testing_support::runToolInterrupted;
using zousbdiag::testing_support::ToolRun;

std::filesystem::path temporaryFile(const std::string& name) {
    return std::filesystem::path(testing::TempDir()) /
           ("zousbdiag_" + std::to_string(getpid()) + "_" + name);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), {}};
}

TEST(ZousbdiagIsochronous, IsoReadShowsEachPacketWithItsStatusAndTheHubsSamples) {
    const ToolRun run = runTool("sim", {"iso-read", "0", "--samples"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out,
                         "Pipe 3 (endpoint 0x88) of \\\\.\\ZOUSB-0: 64 packets of up to "
                         "1024 bytes, in transfers of 8 packets, 4 in flight\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "Packet     0  USBD_STATUS_SUCCESS  24 bytes\n  sequence 0  "))
        << run.out;
    EXPECT_TRUE(contains(run.out, "a sample every 500 ns")) << run.out;
    EXPECT_TRUE(contains(run.out, "64 packets: 64 arrived, 0 failed, ")) << run.out;

    const ToolRun fullSpeed =
        runTool("sim:speed=full", {"iso-read", "0", "--packets", "4", "--per-transfer", "1",
                                   "--transfers", "2", "--samples"});
    ASSERT_EQ(fullSpeed.exitStatus, 0) << fullSpeed.err;
    EXPECT_TRUE(contains(fullSpeed.out, "packets of up to 1023 bytes")) << fullSpeed.out;
    EXPECT_TRUE(contains(fullSpeed.out, "a sample every 2500 ns")) << fullSpeed.out;
}

TEST(ZousbdiagIsochronous, IsoReadSaysWhatThePipeCannotDo) {
    const ToolRun bulk = runTool("sim", {"iso-read", "0", "--pipe", "1"});
    EXPECT_EQ(bulk.exitStatus, 1);
    EXPECT_TRUE(contains(bulk.err, "pipe 1 is not an isochronous pipe")) << bulk.err;
    // A high-speed bus takes whole frames of eight packets; the packets say why they failed.
    const ToolRun halfFrames = runTool(
        "sim", {"iso-read", "0", "--packets", "4", "--per-transfer", "4", "--transfers", "1"});
    EXPECT_EQ(halfFrames.exitStatus, 1);
    EXPECT_TRUE(contains(halfFrames.out, "USBD_STATUS_INVALID_PARAMETER  0 bytes"))
        << halfFrames.out;
    EXPECT_TRUE(contains(halfFrames.err, "no packet arrived")) << halfFrames.err;
}

TEST(ZousbdiagIsochronous, StreamWritesTheInputsIntoAVcdThatSigrokReads) {
    const std::filesystem::path vcd = temporaryFile("inputs.vcd");
    const ToolRun run =
        runTool("sim:a=1000,b=2500", {"stream", "0", vcd.string(), "--duration", "300"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "from \\\\.\\ZOUSB-0 pipe 3 into " + vcd.string())) << run.out;
    EXPECT_TRUE(contains(run.out, " lost to full rings, ")) << run.out;
    const std::string text = readFile(vcd);
    EXPECT_TRUE(contains(text, "$var wire 1 ) inA $end")) << text.substr(0, 600);
    EXPECT_TRUE(contains(text, "a sample every 500 ns $end")) << text.substr(0, 600);
    if (std::system("command -v sigrok-cli > /dev/null 2>&1") != 0) {
        std::filesystem::remove(vcd);
        GTEST_SKIP() << "sigrok-cli is not installed: the VCD was checked by this test only";
    }
    const std::map<std::string, int> periods =
        distinctLines("sigrok-cli -i '" + vcd.string() +
                      "' -I vcd -P timing:data=inA:edge=rising -A timing=time");
    std::filesystem::remove(vcd);
    // The bus and the hub keep real time here: on a machine too busy to let them (a sanitizer
    // build, or other test programs on every core) packets miss their frames or are lost and the
    // periods around the gaps are off, which the summary says; how many periods fit in the
    // stretch depends on the same. The edges themselves are checked exactly by
    // stream_agreement_test on a clock of its own.
    if (!contains(run.out, " (0 lost)\n") || !contains(run.out, " 0 failed\n")) {
        EXPECT_FALSE(periods.empty()) << "sigrok-cli read the file";
        return;
    }
    ASSERT_EQ(periods.size(), 1u) << "sigrok-cli printed " << periods.size() << " kinds of line";
    EXPECT_EQ(periods.begin()->first, "timing-1: 1.000 ms (1.000 kHz)\n");
}

TEST(ZousbdiagIsochronous, CtrlCStopsTheStreamCleanly) {
    const std::filesystem::path vcd = temporaryFile("interrupted.vcd");
    std::filesystem::remove(vcd);
    // The tool opens the file after it has taken over Ctrl-C.
    const ToolRun run = runToolInterrupted("sim", {"stream", "0", vcd.string()}, vcd,
                                           std::chrono::milliseconds(300));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "Streamed ")) << run.out;
    EXPECT_TRUE(contains(run.out, "Packets  ")) << run.out;
    const std::string text = readFile(vcd);
    std::filesystem::remove(vcd);
    EXPECT_TRUE(contains(text, "$enddefinitions $end")) << "a whole file";
    EXPECT_EQ(text.back(), '\n');
}

TEST(ZousbdiagIsochronous, StreamWritesToStandardOutputOrSaysWhyItCannotWrite) {
    const ToolRun piped = runTool("sim", {"stream", "0", "-", "--duration", "20"});
    ASSERT_EQ(piped.exitStatus, 0) << piped.err;
    EXPECT_TRUE(piped.out.starts_with("$date simulated $end\n")) << piped.out.substr(0, 200);
    EXPECT_TRUE(contains(piped.err, "into standard output")) << piped.err;

    const ToolRun refused = runTool("sim", {"stream", "0", "/nonexistent-folder/out.vcd"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_TRUE(contains(refused.err, "cannot write /nonexistent-folder/out.vcd")) << refused.err;
}

}  // namespace

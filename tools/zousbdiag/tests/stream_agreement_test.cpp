// zousbdiag stream from end to end in this process: a hub with two pulse trains and both inputs,
// the driver's stream, the tool's VCD, compared with the hub's own recording of the same stretch.
// Bus and hub share a clock the test moves, so however busy the machine is, nothing is lost and
// every run streams the same signals.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "hub/simulated_hub.h"
#include "hub/tests/hub_test_support.h"
#include "hub/tests/library_programs.h"
#include "kernel/machine.h"
#include "library/compiler/program_upload.h"
#include "simulation/bus_driven_hub_clock.h"
#include "tools/zousbdiag/commands.h"

extern "C" NTSTATUS DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath);

namespace zousbdiag {
namespace {

constexpr std::uint64_t kSampleNanoseconds = 500;

struct Edge {
    std::uint64_t nanoseconds;  // since the hub's power-on
    std::uint8_t wire;
    bool level;
    bool operator==(const Edge&) const = default;
};

// The edges of a VCD that zousbdiag stream wrote, on the hub's time axis: its comment names the
// tick of time 0. Unknown stretches ('x') would fail the comparison and are refused here.
struct Streamed {
    std::uint64_t origin = 0;  // ns of the first sample, time 0 of the file
    std::uint64_t end = 0;     // ns behind the last sample
    std::vector<Edge> edges;
};

Streamed streamedEdges(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::string line;
    std::map<char, std::uint8_t> wires;
    Streamed streamed;
    std::uint64_t time = 0;
    bool dumping = false;
    while (std::getline(file, line)) {
        if (const auto at = line.find("from tick ");
            line.starts_with("$comment") && at != std::string::npos) {
            streamed.origin = std::stoull(line.substr(at + 10)) * 20;
        } else if (line.starts_with("$var")) {
            std::istringstream words(line);
            std::string var, type, width, code, name;
            words >> var >> type >> width >> code >> name;
            const auto wire = static_cast<std::uint8_t>(name == "inA"   ? 8
                                                        : name == "inB" ? 9
                                                                        : name[3] - '0');
            wires[code[0]] = wire;
        } else if (line == "$end") {
            dumping = true;  // the start levels are behind
        } else if (line.starts_with("#")) {
            time = std::stoull(line.substr(1));
        } else if (dumping && line.size() == 2) {
            EXPECT_NE(line[0], 'x') << "a stretch of lost samples at " << time;
            streamed.edges.push_back({streamed.origin + time, wires.at(line[1]), line[0] == '1'});
        }
    }
    streamed.end = streamed.origin + time;
    return streamed;
}

TEST(StreamAgreement, TheVcdHasTheEdgesTheHubRecordedOverTheSameStretch) {
    const auto clock = std::make_shared<zo::kernel::ManualBusClock>();
    zo::kernel::Machine machine(zo::kernel::MachineOptions{
        DriverEntry, zo::kernel::BusCompletion::Deferred, 0x600, {}, clock});
    auto hub = std::make_shared<zo::hub::SimulatedHub>(
        zo::hub::HubOptions{.inputAHz = 5000, .inputBHz = 2000},
        std::make_shared<zo::simulation::BusDrivenHubClock>(clock));
    ASSERT_EQ(machine.pnp().plugIn(hub).started, STATUS_SUCCESS);
    // Channel 0: 20 us high, 30 us low; channel 2: 6 us high, 4 us low.
    const auto write = [&](std::uint8_t reg, std::uint8_t value) {
        return zo::hub::writeRegister(*hub, reg, value);
    };
    std::array<std::uint8_t, 8> entries{};
    for (const auto& [channel, program] :
         {std::pair{0, zo::hub::test::freeTrainProgram(1000, 1500)},
          std::pair{2, zo::hub::test::freeTrainProgram(300, 200)}}) {
        entries.at(channel) = static_cast<std::uint8_t>(program.entry0);
        for (const zo::quinteldrv::RegisterWrite& upload :
             zo::quinteldrv::uploadWrites(program, channel)) {
            ASSERT_TRUE(write(upload.reg, upload.value));
        }
    }
    ASSERT_TRUE(zo::hub::restartOutputs(write, 0b101, entries));

    const auto vcd = std::filesystem::path(testing::TempDir()) /
                     ("zousbdiag_agreement_" + std::to_string(::getpid()) + ".vcd");
    // Rings of a simulated second: however late the tool reads, nothing is dropped.
    const std::vector<std::string_view> arguments = {"stream", "0",      vcd.c_str(), "--duration",
                                                     "300",    "--ring", "8192"};
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    hub->startRecording();
    std::atomic<bool> streaming = true;
    std::thread bus([&] {
        // About 200 ms of simulated time while the tool streams, and more while it winds down.
        for (int step = 0; streaming; ++step) {
            clock->advance(zo::kernel::kMicroframeNanoseconds);
            machine.bus().isochronous().waitUntilCaughtUp(std::chrono::seconds(10));
            std::this_thread::sleep_for(std::chrono::microseconds(step < 1600 ? 150 : 1000));
        }
    });
    std::ostringstream out;
    std::ostringstream err;
    const int status = runStream(parsed.command, out, err);
    streaming = false;
    bus.join();
    ASSERT_EQ(status, kExitSuccess) << err.str();
    const zo::hub::Waveform recording = hub->stopRecording();
    EXPECT_NE(out.str().find(" 0 lost to full rings, 0 failed\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find(" (0 lost)\n"), std::string::npos) << out.str();

    const Streamed streamed = streamedEdges(vcd);
    std::filesystem::remove(vcd);
    // Every transition the recording has after the first sample appears in the stream at the
    // first sample at or after it, up to the last sample, and nothing else does.
    std::vector<Edge> expected;
    for (const zo::hub::WaveformTransition& transition : recording.transitions) {
        const std::uint64_t sampled = (transition.nanoseconds + kSampleNanoseconds - 1) /
                                      kSampleNanoseconds * kSampleNanoseconds;
        if (transition.nanoseconds > streamed.origin && sampled < streamed.end) {
            expected.push_back({sampled, transition.wire, transition.level});
        }
    }
    std::ranges::sort(expected, {}, [](const Edge& edge) {
        return std::pair(edge.nanoseconds, edge.wire);  // the file's order within a moment
    });
    std::map<std::uint8_t, int> edgesPerWire;
    for (const Edge& edge : streamed.edges) {
        ++edgesPerWire[edge.wire];
    }
    EXPECT_GT(edgesPerWire[0], 500) << "channel 0: an edge every 20 or 30 us";
    EXPECT_GT(edgesPerWire[2], 2500) << "channel 2: every 4 or 6 us";
    EXPECT_GT(edgesPerWire[8], 100) << "input A: every 100 us";
    EXPECT_GT(edgesPerWire[9], 40) << "input B: every 250 us";
    ASSERT_EQ(streamed.edges.size(), expected.size());
    for (std::size_t index = 0; index < expected.size(); ++index) {
        ASSERT_EQ(streamed.edges[index], expected[index]) << "edge " << index;
    }
}

}  // namespace
}  // namespace zousbdiag

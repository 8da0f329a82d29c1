// Recording of outputs and inputs, the input square waves themselves, and the VCD file format.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "hub/input_signal.h"
#include "hub/tests/hub_rig.h"
#include "hub/tests/library_programs.h"
#include "hub/tests/waveform_probe.h"
#include "hub/vcd_writer.h"

namespace zo::hub::test {
namespace {

QnProgram train(std::uint32_t high, std::uint32_t low) {
    return freeTrainProgram(high, low);
}

TEST(InputSignal, SquareWaveStartsLowAndChangesEveryHalfPeriod) {
    const InputSignal kilohertz(1000.0);  // half period: 25000 ticks
    EXPECT_FALSE(kilohertz.levelAt(0));
    EXPECT_FALSE(kilohertz.levelAt(24999));
    EXPECT_TRUE(kilohertz.levelAt(25000));
    EXPECT_EQ(kilohertz.nextChangeAfter(0), 25000u);
    EXPECT_EQ(kilohertz.nextChangeAfter(25000), 50000u);
    EXPECT_EQ(kilohertz.nextChangeAfter(49999), 50000u);

    const InputSignal fractional(12.5);  // half period: 2,000,000 ticks
    EXPECT_EQ(fractional.nextChangeAfter(1), 2'000'000u);
    // A period that is not a whole number of ticks: each change is where the level flips.
    const InputSignal odd(3'000'000.0);
    for (std::uint64_t tick = 0; tick < 1000;) {
        const std::uint64_t next = odd.nextChangeAfter(tick);
        EXPECT_NE(odd.levelAt(next), odd.levelAt(tick));
        EXPECT_EQ(odd.levelAt(next - 1), odd.levelAt(tick));
        tick = next;
    }

    const InputSignal fastest(1e12);
    EXPECT_EQ(fastest.nextChangeAfter(7), 8u);
    EXPECT_EQ(InputSignal(1e-12).nextChangeAfter(0), kNever);  // its first edge: 16 million years

    for (const double none : {0.0, -5.0, std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN()}) {
        const InputSignal silent(none);
        EXPECT_FALSE(silent.levelAt(123456789));
        EXPECT_EQ(silent.nextChangeAfter(0), kNever);
    }
}

// The walk over an input's changes (no division per change) lands where the levels flip, and
// knows the levels of the ticks just behind it.
TEST(InputSignal, ChangesWalkedOneByOneAreWhereTheLevelFlips) {
    for (const double hertz :
         {1'234'567.8, 2'999'999.9, 3'000'000.0, 8'000'000.0, 25'000'000.0, 123'456.7, 1.5}) {
        SCOPED_TRACE(hertz);
        const InputSignal input(hertz);
        for (const std::uint64_t from :
             {std::uint64_t{0}, std::uint64_t{5}, std::uint64_t{123'456'789'012}}) {
            InputSignal::Changes changes(input, from);
            std::uint64_t tick = from;
            for (int walked = 0; walked < 2000; ++walked) {
                ASSERT_EQ(changes.next(), input.nextChangeAfter(tick)) << "change " << walked;
                tick = changes.next();
                changes.advance();
                for (std::uint64_t back = 0; back <= 2 && back <= tick; ++back) {
                    ASSERT_EQ(changes.levelAt(tick - back), input.levelAt(tick - back));
                }
            }
        }
    }
    EXPECT_EQ(InputSignal::Changes(InputSignal(0.0), 10).next(), kNever);
}

TEST(WaveformCapture, RecordsOutputsAndInputsFromTheStart) {
    HubRig rig;  // inputs A 1 kHz, B 2.5 kHz
    rig.upload(5, train(10, 10));
    rig.openOutputs(1 << 5);
    rig.advance(kMillisecond - rig.now());
    const Waveform waveform = rig.record(kMillisecond);

    EXPECT_EQ(waveform.startNanoseconds, kMillisecond);
    EXPECT_EQ(waveform.endNanoseconds, 2 * kMillisecond);
    EXPECT_FALSE(waveform.truncated);
    // A (period 1 ms) falls at 1 ms and B (400 us) rises then: both counted as the start levels.
    EXPECT_FALSE(waveform.initialLevels[kWireInputA]);
    EXPECT_TRUE(waveform.initialLevels[kWireInputB]);
    EXPECT_EQ(edges(waveform, kWireInputA, true), std::vector<std::uint64_t>{1'500'000});
    EXPECT_EQ(edges(waveform, kWireInputA, false), std::vector<std::uint64_t>{2'000'000});
    EXPECT_EQ(edges(waveform, kWireInputB, true),
              (std::vector<std::uint64_t>{1'400'000, 1'800'000}));
    EXPECT_EQ(edges(waveform, 5, true).size(), 2500u);
    for (std::uint8_t wire = 0; wire < 5; ++wire) {
        EXPECT_TRUE(edges(waveform, wire, true).empty());
    }
    EXPECT_TRUE(std::ranges::is_sorted(waveform.transitions, {}, &WaveformTransition::nanoseconds));
}

TEST(WaveformCapture, IsCutAtItsLimitWithEverythingBeforeKept) {
    HubRig rig;
    rig.upload(0, train(5, 5));
    rig.openOutputs(1);
    rig.hub().startRecording(100);
    rig.advance(kMillisecond);
    const Waveform waveform = rig.hub().stopRecording();
    EXPECT_TRUE(waveform.truncated);
    EXPECT_EQ(waveform.transitions.size(), 100u);
    EXPECT_EQ(waveform.endNanoseconds, waveform.transitions.back().nanoseconds + 100);
}

TEST(WaveformCapture, StopWithoutStartGivesAnEmptyStretch) {
    HubRig rig;
    rig.advance(kMillisecond);
    const Waveform waveform = rig.hub().stopRecording();
    EXPECT_EQ(waveform.startNanoseconds, waveform.endNanoseconds);
    EXPECT_TRUE(waveform.transitions.empty());
}

// A small VCD reader: checks the structure and gives each wire's changes by name.
struct ParsedVcd {
    std::string timescale;
    std::map<std::string, std::string> names;  // identifier -> wire name
    std::map<std::string, std::vector<std::pair<std::uint64_t, char>>> changes;  // by name
    std::uint64_t lastTime = 0;
};

ParsedVcd parseVcd(const std::string& text) {
    ParsedVcd vcd;
    std::istringstream in(text);
    std::string line;
    bool definitions = true;
    bool timeSeen = false;
    std::uint64_t time = 0;
    while (std::getline(in, line)) {
        if (definitions) {
            if (line.starts_with("$timescale")) {
                vcd.timescale = line;
            } else if (line.starts_with("$var")) {
                std::istringstream var(line);
                std::string keyword, type, width, id, name, end;
                var >> keyword >> type >> width >> id >> name >> end;
                EXPECT_EQ(type, "wire");
                EXPECT_EQ(width, "1");
                EXPECT_EQ(end, "$end");
                EXPECT_TRUE(vcd.names.emplace(id, name).second) << "identifier used twice";
            } else if (line == "$enddefinitions $end") {
                definitions = false;
            }
            continue;
        }
        if (line.starts_with('#')) {
            const std::uint64_t next = std::stoull(line.substr(1));
            EXPECT_TRUE(!timeSeen || next > time) << "time stamps must increase: " << line;
            time = next;
            timeSeen = true;
        } else if (line == "$dumpvars" || line == "$end") {
            EXPECT_TRUE(timeSeen);
        } else {
            EXPECT_TRUE(line.size() == 2 && (line[0] == '0' || line[0] == '1')) << line;
            const auto name = vcd.names.find(line.substr(1));
            EXPECT_NE(name, vcd.names.end()) << "undeclared identifier: " << line;
            if (name != vcd.names.end()) {
                vcd.changes[name->second].emplace_back(time, line[0]);
            }
        }
    }
    EXPECT_FALSE(definitions) << "no $enddefinitions";
    vcd.lastTime = time;
    return vcd;
}

TEST(Vcd, DeclaresEveryWireAndGivesTheTrainsPeriodInNanoseconds) {
    HubRig rig;
    rig.upload(0, train(30, 20));  // 1 us period
    rig.openOutputs(1);
    const Waveform waveform = rig.record(100 * kMicrosecond);
    std::ostringstream out;
    writeVcd(out, waveform);
    const ParsedVcd vcd = parseVcd(out.str());

    EXPECT_EQ(vcd.timescale, "$timescale 1 ns $end");
    std::set<std::string> names;
    for (const auto& [id, name] : vcd.names) {
        names.insert(name);
    }
    EXPECT_EQ(names, (std::set<std::string>{"out0", "out1", "out2", "out3", "out4", "out5", "out6",
                                            "out7", "inA", "inB"}));
    EXPECT_EQ(vcd.lastTime, 100 * kMicrosecond);
    const auto& out0 = vcd.changes.at("out0");
    ASSERT_GE(out0.size(), 100u);
    EXPECT_EQ(out0[0], (std::pair<std::uint64_t, char>{0, '0'}));  // the initial value
    std::vector<std::uint64_t> rises;
    for (const auto& [time, value] : out0) {
        if (value == '1') {
            rises.push_back(time);
        }
    }
    for (const std::uint64_t period : differences(rises)) {
        EXPECT_EQ(period, 1000u);
    }
}

TEST(Vcd, FileIsWrittenOrRefused) {
    HubRig rig;
    const Waveform waveform = rig.record(kMicrosecond);
    const std::filesystem::path path =
        std::filesystem::path(testing::TempDir()) / "hub_waveform_test.vcd";
    ASSERT_TRUE(writeVcdFile(path, waveform));
    std::string text;
    {
        // Closed before the file is removed: Windows removes no file that is open.
        std::ifstream file(path);
        text.assign(std::istreambuf_iterator<char>(file), {});
    }
    std::ostringstream expected;
    writeVcd(expected, waveform);
    EXPECT_EQ(text, expected.str());
    EXPECT_TRUE(std::filesystem::remove(path));

    EXPECT_FALSE(writeVcdFile(path / "no" / "such" / "folder.vcd", waveform));
}

}  // namespace
}  // namespace zo::hub::test

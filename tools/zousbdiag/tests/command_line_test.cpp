#include "tools/zousbdiag/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace zousbdiag {
namespace {

ParsedCommandLine parse(std::initializer_list<std::string_view> arguments) {
    return parseCommandLine(std::span(arguments.begin(), arguments.size()));
}

TEST(CommandLine, ReadsEveryCommandWithItsInstance) {
    EXPECT_EQ(parse({"list"}).command.kind, CommandKind::List);
    for (const auto* help : {"help", "--help", "-h"}) {
        const ParsedCommandLine parsed = parse({help});
        EXPECT_TRUE(parsed.error.empty());
        EXPECT_EQ(parsed.command.kind, CommandKind::Help);
    }
    const ParsedCommandLine descriptors = parse({"descriptors", "7"});
    EXPECT_EQ(descriptors.command.kind, CommandKind::Descriptors);
    EXPECT_EQ(descriptors.command.instance, 7u);
    EXPECT_EQ(parse({"version", "3"}).command.kind, CommandKind::Version);
    EXPECT_EQ(parse({"last-status", "0"}).command.kind, CommandKind::LastStatus);
}

TEST(CommandLine, ReadsTheLibraryCommandsWithDeviceRegisterAndValue) {
    EXPECT_EQ(parse({"enumerate"}).command.kind, CommandKind::Enumerate);
    const ParsedCommandLine info = parse({"device-info", "5"});
    ASSERT_TRUE(info.error.empty()) << info.error;
    EXPECT_EQ(info.command.kind, CommandKind::DeviceInfo);
    EXPECT_EQ(info.command.deviceId, 5u);
    EXPECT_EQ(parse({"hardware-error", "1"}).command.kind, CommandKind::HardwareError);
    EXPECT_EQ(parse({"settings", "2"}).command.kind, CommandKind::Settings);
    const ParsedCommandLine read = parse({"read-register", "3", "0x41"});
    ASSERT_TRUE(read.error.empty()) << read.error;
    EXPECT_EQ(read.command.kind, CommandKind::ReadRegister);
    EXPECT_EQ(read.command.deviceId, 3u);
    EXPECT_EQ(read.command.reg, 0x41);
    const ParsedCommandLine write = parse({"write-register", "1", "255", "0xAB"});
    ASSERT_TRUE(write.error.empty()) << write.error;
    EXPECT_EQ(write.command.kind, CommandKind::WriteRegister);
    EXPECT_EQ(write.command.reg, 255);
    EXPECT_EQ(write.command.value, 0xAB);
}

TEST(CommandLine, ReadsIoctlOptionsInAnyOrder) {
    const ParsedCommandLine parsed =
        parse({"ioctl", "1", "0x222059", "--out", "0x10", "--32bit", "--in", "01 02 ff"});
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    EXPECT_EQ(parsed.command.kind, CommandKind::Ioctl);
    EXPECT_EQ(parsed.command.instance, 1u);
    EXPECT_EQ(parsed.command.code, 0x222059u);
    EXPECT_EQ(parsed.command.outputLength, 16u);
    EXPECT_TRUE(parsed.command.from32BitProcess);
    EXPECT_EQ(parsed.command.input, (std::vector<std::uint8_t>{0x01, 0x02, 0xFF}));

    const ParsedCommandLine bare = parse({"ioctl", "0", "2236532"});
    ASSERT_TRUE(bare.error.empty());
    EXPECT_EQ(bare.command.code, 0x222074u);
    EXPECT_EQ(bare.command.outputLength, 0u);
    EXPECT_TRUE(bare.command.input.empty());
    EXPECT_FALSE(bare.command.from32BitProcess);
}

TEST(CommandLine, ReadsSettingsByParameterNameOrNumberInOrder) {
    const ParsedCommandLine set = parse(
        {"set", "1", "0", "HIGH_TIME", "30", "8", "low_time", "0x14", "7", "23", "4294967295"});
    ASSERT_TRUE(set.error.empty()) << set.error;
    EXPECT_EQ(set.command.kind, CommandKind::Set);
    EXPECT_EQ(set.command.deviceId, 1u);
    EXPECT_EQ(set.command.settings,
              (std::vector<ParameterSetting>{
                  {0, QN_PARAM_HIGH_TIME, 30}, {8, QN_PARAM_LOW_TIME, 20}, {7, 23, 4294967295u}}));

    const ParsedCommandLine capture =
        parse({"capture", "2", "5", "out.vcd", "--set", "0:HIGH_TIME=30", "--outputs", "0x81",
               "--set", "0:3=20"});
    ASSERT_TRUE(capture.error.empty()) << capture.error;
    EXPECT_EQ(capture.command.kind, CommandKind::Capture);
    EXPECT_EQ(capture.command.milliseconds, 5u);
    EXPECT_EQ(capture.command.vcdPath, "out.vcd");
    EXPECT_EQ(capture.command.outputMask, 0x81u);
    EXPECT_EQ(capture.command.settings,
              (std::vector<ParameterSetting>{{0, QN_PARAM_HIGH_TIME, 30}, {0, 3, 20}}));

    const ParsedCommandLine outputs = parse({"outputs", "1", "close", "0xFF"});
    ASSERT_TRUE(outputs.error.empty()) << outputs.error;
    EXPECT_FALSE(outputs.command.openOutputs);
    EXPECT_EQ(outputs.command.outputMask, 0xFFu);
    EXPECT_FALSE(outputs.command.leaveOpen);
    EXPECT_TRUE(parse({"outputs", "1", "open", "1", "--leave-open"}).command.leaveOpen);

    const ParsedCommandLine record = parse({"record", "3", "20", "now.vcd"});
    ASSERT_TRUE(record.error.empty()) << record.error;
    EXPECT_EQ(record.command.kind, CommandKind::Record);
    EXPECT_EQ(record.command.instance, 3u);
    EXPECT_EQ(record.command.milliseconds, 20u);
    EXPECT_EQ(record.command.vcdPath, "now.vcd");

    const ParsedCommandLine disassemble = parse({"disassemble", "1", "8"});
    ASSERT_TRUE(disassemble.error.empty()) << disassemble.error;
    EXPECT_EQ(disassemble.command.channel, 8u);
}

TEST(CommandLine, ReadsMeasureInputByNameOrNumberWithItsOptions) {
    const ParsedCommandLine plain = parse({"measure", "1", "a"});
    ASSERT_TRUE(plain.error.empty()) << plain.error;
    EXPECT_EQ(plain.command.source, 1u);
    EXPECT_EQ(plain.command.timeoutMilliseconds, kDefaultMeasureTimeout);
    EXPECT_FALSE(plain.command.background);
    EXPECT_FALSE(plain.command.outputMask.has_value());
    EXPECT_EQ(parse({"measure", "1", "B"}).command.source, 2u);
    EXPECT_EQ(parse({"measure", "1", "out7"}).command.source, 10u);
    EXPECT_EQ(parse({"measure", "1", "3"}).command.source, 3u);

    const ParsedCommandLine full =
        parse({"measure", "2", "out0", "--mode", "1", "--edge", "1", "--timeout", "60000",
               "--background", "--set", "0:MODE=0", "--outputs", "1"});
    ASSERT_TRUE(full.error.empty()) << full.error;
    EXPECT_EQ(full.command.source, 3u);
    EXPECT_EQ(full.command.measureMode, 1u);
    EXPECT_EQ(full.command.measureEdge, 1);
    EXPECT_EQ(full.command.timeoutMilliseconds, 60000u);
    EXPECT_TRUE(full.command.background);
    EXPECT_EQ(full.command.outputMask, 1u);
    EXPECT_EQ(full.command.settings.size(), 1u);
}

TEST(CommandLine, ReadsTimesAndRatesWithUnitsAndNamesOfSourcesAndModes) {
    const ParsedCommandLine set =
        parse({"set",   "1",           "0", "HIGH_TIME",   "250us", "0", "PERIOD",     "10kHz", "8",
               "DELAY", "1.5ms",       "2", "GATE_SOURCE", "out7",  "3", "AUX_SOURCE", "none",  "4",
               "MODE",  "Rate_Switch", "5", "LOW_TIME",    "0x10"});
    ASSERT_TRUE(set.error.empty()) << set.error;
    EXPECT_EQ(set.command.settings,
              (std::vector<ParameterSetting>{{0, QN_PARAM_HIGH_TIME, 12500, true},
                                             {0, kPeriodParameter, 5000, true},
                                             {8, QN_PARAM_DELAY, 75000, true},
                                             {2, QN_PARAM_GATE_SOURCE, 10},
                                             {3, QN_PARAM_AUX_SOURCE, 0},
                                             {4, QN_PARAM_MODE, 3},
                                             {5, QN_PARAM_LOW_TIME, 16}}));

    // What is not a whole number of ticks is rounded to the nearest, with a note saying to what.
    const ParsedCommandLine rounded =
        parse({"capture", "1", "2s", "x.vcd", "--set", "0:HIGH_TIME=7ns", "--set", "1:PERIOD=3MHz",
               "--set", "2:DELAY=10ns"});
    ASSERT_TRUE(rounded.error.empty()) << rounded.error;
    EXPECT_EQ(rounded.command.milliseconds, 2000u);
    const std::vector<ParameterSetting>& settings = rounded.command.settings;
    ASSERT_EQ(settings.size(), 3u);
    EXPECT_EQ(settings[0].value, 0u);
    EXPECT_EQ(settings[0].note,
              "HIGH_TIME=7ns is no whole number of 20 ns ticks: it becomes 0 "
              "ticks (0ns)");
    EXPECT_EQ(settings[1].value, 17u);
    EXPECT_EQ(settings[1].note,
              "PERIOD=3MHz has a period of no whole number of 20 ns ticks: it "
              "becomes 17 ticks (340ns, 2.94118MHz)");
    EXPECT_EQ(settings[2].value, 1u);
    EXPECT_EQ(settings[2].note,
              "DELAY=10ns is no whole number of 20 ns ticks: it becomes 1 tick "
              "(20ns)");
}

TEST(CommandLine, TakesHelpTopicsAndTheVersion) {
    EXPECT_EQ(parse({"help", "parameters"}).command.helpTopic, HelpTopic::Parameters);
    EXPECT_EQ(parse({"help", "modes"}).command.helpTopic, HelpTopic::Modes);
    EXPECT_EQ(parse({"help"}).command.helpTopic, HelpTopic::Usage);
    EXPECT_EQ(parse({"--version"}).command.kind, CommandKind::ProgramVersion);
    EXPECT_EQ(parse({"help", "modes", "extra"}).error, "help: unexpected argument 'extra'");
}

TEST(CommandLine, ExplainsEveryMistake) {
    struct Case {
        std::vector<std::string_view> arguments;
        const char* message;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"lsit"}, "unknown command 'lsit'"},
        {{"--versions"}, "unknown command '--versions'"},
        {{"help", "units"}, "help: 'units' is no topic (parameters, modes)"},
        {{"list", "0"}, "list: unexpected argument '0'"},
        {{"version"}, "version: the hub instance (0 to 7) is missing"},
        {{"version", "8"}, "version: '8' is not a hub instance from 0 to 7"},
        {{"descriptors", "-1"}, "descriptors: '-1' is not a hub instance from 0 to 7"},
        {{"last-status", "0", "extra"}, "last-status: unexpected argument 'extra'"},
        {{"ioctl", "0"}, "ioctl: the I/O-control code is missing"},
        {{"ioctl", "0", "0x100000000"}, "ioctl: '0x100000000' is not a 32-bit code"},
        {{"ioctl", "0", "1", "--in"}, "ioctl: option --in needs a value"},
        {{"ioctl", "0", "1", "--in", "abc"}, "ioctl: --in: 'abc' has an odd number of digits"},
        {{"ioctl", "0", "1", "--in", "zz"}, "ioctl: --in: 'z' at position 1"},
        {{"ioctl", "0", "1", "--out", "16777217"}, "ioctl: --out '16777217' is not a length"},
        {{"ioctl", "0", "1", "--out", "1", "--out", "2"}, "ioctl: option --out is given twice"},
        {{"ioctl", "0", "1", "--32bit", "--32bit"}, "ioctl: option --32bit is given twice"},
        {{"ioctl", "0", "1", "-o", "2"}, "ioctl: unknown option '-o'"},
        {{"settings"}, "settings: the device identifier (1 to 5) is missing"},
        {{"device-info", "0"}, "device-info: '0' is not a device identifier from 1 to 5"},
        {{"hardware-error", "6"}, "hardware-error: '6' is not a device identifier from 1 to 5"},
        {{"read-register", "1"}, "read-register: the register (0 to 255) is missing"},
        {{"read-register", "1", "0x100"}, "read-register: '0x100' is not a register from 0"},
        {{"write-register", "1", "2"}, "write-register: the value (0 to 255) is missing"},
        {{"write-register", "1", "2", "256"}, "write-register: '256' is not a value from 0"},
        {{"write-register", "1", "2", "3", "4"}, "write-register: unexpected argument '4'"},
        {{"enumerate", "1"}, "enumerate: unexpected argument '1'"},
        {{"set", "1"}, "set: give settings as CHANNEL PARAMETER VALUE"},
        {{"set", "1", "0", "HIGH_TIME"}, "set: give settings as CHANNEL PARAMETER VALUE"},
        {{"set", "1", "9", "HIGH_TIME", "1"}, "set: '9' is not a channel from 0 to 7 or 8"},
        {{"set", "1", "0", "HIGHTIME", "1"}, "set: 'HIGHTIME' is not a parameter name"},
        {{"set", "1", "0", "256", "1"}, "set: '256' is not a parameter name"},
        {{"set", "1", "0", "MODE", "-1"}, "set: '-1' is not a 32-bit value"},
        {{"outputs", "1", "toggle", "1"}, "outputs: give 'open MASK' or 'close MASK'"},
        {{"outputs", "1", "open"}, "outputs: give 'open MASK' or 'close MASK'"},
        {{"outputs", "1", "open", "0x100"}, "outputs: '0x100' is not an output mask from 0 to 255"},
        {{"outputs", "1", "open", "1", "--timeout", "5"}, "outputs: unknown option '--timeout'"},
        {{"measure", "1"}, "measure: the input (A, B, out0 to out7, or 1 to 10) is missing"},
        {{"measure", "1", "0"}, "measure: '0' is not an input"},
        {{"measure", "1", "out8"}, "measure: 'out8' is not an input"},
        {{"measure", "1", "A", "--mode", "2"}, "measure: --mode: '2' is not a measurement mode"},
        {{"measure", "1", "A", "--timeout", "0"}, "measure: --timeout: '0' is not a duration"},
        {{"measure", "1", "A", "--timeout", "1.5ms"}, "measure: --timeout: '1.5ms' is not a whole"},
        {{"measure", "1", "A", "--timeout", "1kHz"}, "measure: --timeout: '1kHz' is a rate"},
        {{"measure", "1", "A", "--timeout"}, "measure: option --timeout needs a value"},
        {{"measure", "1", "A", "extra"}, "measure: unexpected argument 'extra'"},
        {{"capture", "1", "5"}, "capture: give the milliseconds and the VCD file"},
        {{"capture", "1", "10001", "x.vcd"}, "capture: '10001' is not a duration from 1 to 10000"},
        {{"capture", "1", "11s", "x.vcd"}, "capture: '11s' is not a duration from 1 to 10000"},
        {{"capture", "1", "0", "x.vcd"}, "capture: '0' is not a duration from 1 to 10000 ms"},
        {{"set", "1", "0", "INVERT", "1us"}, "set: INVERT takes a plain number, not '1us'"},
        {{"set", "1", "0", "HIGH_TIME", "10kHz"}, "set: HIGH_TIME takes a time, not the rate"},
        {{"set", "1", "0", "HIGH_TIME", "1.5.0ms"}, "set: '1.5.0ms' is not a number with a unit"},
        {{"set", "1", "0", "HIGH_TIME", "3 ms"}, "set: '3 ms' has no unit this tool knows"},
        {{"set", "1", "0", "DELAY", "86s"}, "set: '86s' is longer than the longest time"},
        {{"set", "1", "0", "PERIOD", "0Hz"}, "set: '0Hz' is no rate"},
        {{"set", "1", "0", "GATE_SOURCE", "C"}, "set: 'C' is not a 32-bit value"},
        {{"set", "1", "0", "MODE", "pulse"}, "set: 'pulse' is not a 32-bit value"},
        {{"record", "8", "5", "x.vcd"}, "record: '8' is not a hub instance from 0 to 7"},
        {{"record", "0", "5"}, "record: give the milliseconds and the VCD file"},
        {{"record", "0", "5", "x.vcd", "--outputs", "1"}, "record: unknown option '--outputs'"},
        {{"set", "1", "0", "MODE", "1", "--leave-open"}, "set: give settings as CHANNEL"},
        {{"capture", "1", "5", "x.vcd", "--set", "0=1"}, "capture: --set: '0=1' is not CHANNEL:"},
        {{"capture", "1", "5", "x.vcd", "--set", "0:MODE"}, "capture: --set: '0:MODE' is not"},
        {{"capture", "1", "5", "x.vcd", "--background"}, "capture: unknown option '--background'"},
        {{"disassemble", "1"}, "disassemble: the channel (0 to 7, or 8 for the measurement)"},
        {{"disassemble", "1", "9"}, "disassemble: '9' is not a channel (8: the measurement)"},
        {{"disassemble", "1", "0", "--outputs", "1"}, "disassemble: unknown option '--outputs'"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = parseCommandLine(c.arguments);
        EXPECT_EQ(parsed.error.rfind(c.message, 0), 0u)
            << "expected '" << c.message << "', got '" << parsed.error << "'";
    }
}

}  // namespace
}  // namespace zousbdiag

namespace zousbdiag {
namespace {

TEST(CommandLine, ReadsTheIsochronousCommandsWithTheirDefaultsAndOptions) {
    const ParsedCommandLine read = parse({"iso-read", "2"});
    ASSERT_TRUE(read.error.empty()) << read.error;
    EXPECT_EQ(read.command.kind, CommandKind::IsoRead);
    EXPECT_EQ(read.command.instance, 2u);
    EXPECT_FALSE(read.command.iso.pipe.has_value()) << "the hub's isochronous pipe";
    EXPECT_FALSE(read.command.iso.packetSize.has_value()) << "the pipe's maximum";
    EXPECT_EQ(read.command.iso.packets, 64u);
    EXPECT_EQ(read.command.iso.packetsPerTransfer, 8u);
    EXPECT_EQ(read.command.iso.transfers, 4u);

    const ParsedCommandLine tuned =
        parse({"iso-read", "0", "--samples", "--packets", "256", "--per-transfer", "16",
               "--transfers", "2", "--pipe", "3", "--packet-size", "600"});
    ASSERT_TRUE(tuned.error.empty()) << tuned.error;
    EXPECT_TRUE(tuned.command.iso.samples);
    EXPECT_EQ(tuned.command.iso.packets, 256u);
    EXPECT_EQ(tuned.command.iso.packetsPerTransfer, 16u);
    EXPECT_EQ(tuned.command.iso.transfers, 2u);
    EXPECT_EQ(tuned.command.iso.pipe, 3u);
    EXPECT_EQ(tuned.command.iso.packetSize, 600u);

    const ParsedCommandLine stream = parse({"stream", "1", "out.vcd", "--duration", "250", "--ring",
                                            "4096", "--set", "0:HIGH_TIME=30", "--outputs", "3"});
    ASSERT_TRUE(stream.error.empty()) << stream.error;
    EXPECT_EQ(stream.command.kind, CommandKind::Stream);
    EXPECT_EQ(stream.command.vcdPath, "out.vcd");
    EXPECT_EQ(stream.command.iso.durationMs, 250u);
    EXPECT_EQ(stream.command.iso.packets, 4096u);
    EXPECT_EQ(stream.command.settings.size(), 1u);
    EXPECT_EQ(stream.command.outputMask, 3u);
    const ParsedCommandLine untilStopped = parse({"stream", "0", "-"});
    ASSERT_TRUE(untilStopped.error.empty()) << untilStopped.error;
    EXPECT_FALSE(untilStopped.command.iso.durationMs.has_value()) << "until Ctrl-C";
    EXPECT_EQ(untilStopped.command.iso.packets, 1024u) << "rings of 128 ms at high speed";
}

TEST(CommandLine, ExplainsEveryMistakeOfTheIsochronousCommands) {
    const std::vector<std::pair<std::vector<std::string_view>, std::string>> cases = {
        {{"iso-read"}, "iso-read: the hub instance (0 to 7) is missing"},
        {{"iso-read", "0", "--packets", "48"},
         "iso-read: the packets (48) must be a multiple of the packets per transfer times the "
         "transfers (32)"},
        {{"iso-read", "0", "--packets", "0"},
         "iso-read: --packets: '0' is not a number of packets from 1 to 65536"},
        {{"iso-read", "0", "--per-transfer", "1025"},
         "iso-read: --per-transfer: '1025' is not a number of packets per transfer from 1 to "
         "1024"},
        {{"iso-read", "0", "--ring", "8"}, "iso-read: unknown option '--ring'"},
        {{"iso-read", "0", "--duration", "8"}, "iso-read: unknown option '--duration'"},
        {{"stream", "0"}, "stream: the VCD file ('-': standard output) is missing"},
        {{"stream", "0", "--duration", "5"},
         "stream: the VCD file ('-': standard output) is missing"},
        {{"stream", "0", "out.vcd", "--samples"}, "stream: unknown option '--samples'"},
        {{"stream", "0", "out.vcd", "--duration"}, "stream: option --duration needs a value"},
        {{"stream", "0", "out.vcd", "--packet-size", "3073"},
         "stream: --packet-size: '3073' is not a packet size in bytes from 1 to 3072"},
    };
    for (const auto& [arguments, error] : cases) {
        const ParsedCommandLine parsed = parseCommandLine(arguments);
        EXPECT_EQ(parsed.error, error);
    }
}

}  // namespace
}  // namespace zousbdiag

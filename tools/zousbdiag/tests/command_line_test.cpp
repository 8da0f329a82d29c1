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

TEST(CommandLine, ExplainsEveryMistake) {
    struct Case {
        std::vector<std::string_view> arguments;
        const char* message;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"lsit"}, "unknown command 'lsit'"},
        {{"--version"}, "unknown command '--version'"},
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
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = parseCommandLine(c.arguments);
        EXPECT_EQ(parsed.error.rfind(c.message, 0), 0u)
            << "expected '" << c.message << "', got '" << parsed.error << "'";
    }
}

}  // namespace
}  // namespace zousbdiag

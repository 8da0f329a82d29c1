#pragma once
// The tool's command line: which command to run on which hub, with what.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zousbdiag {

// Hubs are opened as "\\.\ZOUSB-0" to "\\.\ZOUSB-7": the driver hands out eight instance digits.
inline constexpr unsigned kInstanceCount = 8;
// The largest output buffer the ioctl command allocates; above the largest pipe transfer (2 MiB).
inline constexpr std::uint32_t kMaxOutputLength = 16u << 20;

// The library's device identifiers: slot index + 1.
inline constexpr unsigned kFirstDeviceId = 1;
inline constexpr unsigned kLastDeviceId = 5;

enum class CommandKind {
    Help,
    List,
    Descriptors,
    Ioctl,
    Version,
    LastStatus,
    // Through the device-access library:
    Enumerate,
    DeviceInfo,
    HardwareError,
    ReadRegister,
    WriteRegister,
    Settings,
};

struct Command {
    CommandKind kind = CommandKind::Help;
    unsigned instance = 0;
    std::uint32_t code = 0;
    std::vector<std::uint8_t> input;
    std::uint32_t outputLength = 0;
    bool from32BitProcess = false;
    unsigned deviceId = 0;   // library commands on one device
    std::uint8_t reg = 0;    // read-register, write-register
    std::uint8_t value = 0;  // write-register
};

struct ParsedCommandLine {
    Command command;
    std::string error;  // empty when the arguments make a valid command
};

// Reads the arguments after the program name.
ParsedCommandLine parseCommandLine(std::span<const std::string_view> arguments);

}  // namespace zousbdiag

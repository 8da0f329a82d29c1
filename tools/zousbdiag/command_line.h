#pragma once
// The tool's command line: which command to run on which hub, with what.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/zousbdiag/parameter_names.h"

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
    ProgramVersion,
    List,
    Descriptors,
    Ioctl,
    Version,
    LastStatus,
    Record,
    // Through the device-access library:
    Enumerate,
    DeviceInfo,
    HardwareError,
    ReadRegister,
    WriteRegister,
    Settings,
    Set,
    Outputs,
    Measure,
    Capture,
    Disassemble,
    // Isochronous reads through the driver:
    IsoRead,
    Stream,
};

// The longest capture the tool records: the hub's clock runs with the wall clock, so the tool
// waits that long.
inline constexpr std::uint32_t kMaxCaptureMilliseconds = 10000;
inline constexpr std::uint32_t kMaxMeasureTimeout = 60000;
inline constexpr std::uint32_t kDefaultMeasureTimeout = 1000;

// What iso-read and stream ask of the driver (see ZOUSB_ISO_TRANSFER).
struct IsochronousOptions {
    std::optional<std::uint32_t> pipe;        // default: the interface's first isochronous pipe
    std::optional<std::uint32_t> packetSize;  // default: that pipe's maximum packet size
    std::uint32_t packets = 0;  // iso-read: packets read; stream: capacity of the rings
    std::uint32_t packetsPerTransfer = 8;
    std::uint32_t transfers = 4;
    bool samples = false;                     // iso-read: decode the hub's signal packets
    std::optional<std::uint32_t> durationMs;  // stream: how long; default until Ctrl-C
};
inline constexpr std::uint32_t kDefaultIsoReadPackets = 64;
inline constexpr std::uint32_t kDefaultStreamRingPackets = 1024;
inline constexpr std::uint32_t kMaxIsoPackets = 65536;
inline constexpr std::uint32_t kMaxPacketsPerTransfer = 1024;
inline constexpr std::uint32_t kMaxTransfersInFlight = 64;
inline constexpr std::uint32_t kMaxIsoPacketSize = 3072;
inline constexpr std::uint32_t kMaxStreamMilliseconds = 86'400'000;

// What help shows: the usage, or the reference of the parameters or of the modes.
enum class HelpTopic { Usage, Parameters, Modes };

struct Command {
    CommandKind kind = CommandKind::Help;
    HelpTopic helpTopic = HelpTopic::Usage;
    unsigned instance = 0;
    std::uint32_t code = 0;
    std::vector<std::uint8_t> input;
    std::uint32_t outputLength = 0;
    bool from32BitProcess = false;
    unsigned deviceId = 0;   // library commands on one device
    std::uint8_t reg = 0;    // read-register, write-register
    std::uint8_t value = 0;  // write-register

    // set, and --set of outputs, measure, capture and disassemble: applied in order.
    std::vector<ParameterSetting> settings;
    bool openOutputs = true;                  // outputs: open or close
    bool leaveOpen = false;                   // outputs --leave-open
    std::optional<std::uint32_t> outputMask;  // outputs MASK, --outputs MASK
    std::uint32_t channel = 0;                // disassemble: 0..7, 8 the measurement
    std::uint32_t source = 0;                 // measure: the input, 1..10
    std::uint32_t measureMode = 0;
    std::int32_t measureEdge = 0;
    std::uint32_t timeoutMilliseconds = kDefaultMeasureTimeout;
    bool background = false;         // measure with QnStartMeasure
    std::uint32_t milliseconds = 0;  // capture, record
    std::filesystem::path vcdPath;   // capture, record, stream ("-": standard output)
    IsochronousOptions iso;          // iso-read, stream
};

struct ParsedCommandLine {
    Command command;
    std::string error;  // empty when the arguments make a valid command
};

// Reads the arguments after the program name.
ParsedCommandLine parseCommandLine(std::span<const std::string_view> arguments);

}  // namespace zousbdiag

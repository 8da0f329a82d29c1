#include "tools/zousbdiag/operation_command_line.h"

#include <optional>

#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/time_text.h"

namespace zousbdiag {

namespace {

// Which options a command accepts.
struct OptionSet {
    bool settings = false;          // --set
    bool outputs = false;           // --outputs
    bool measurement = false;       // --mode, --edge, --timeout, --background
    bool leaveOpen = false;         // --leave-open
    bool transfers = false;         // --pipe, --packet-size, --per-transfer, --transfers
    const char* packets = nullptr;  // the option that sets IsochronousOptions::packets
    bool samples = false;           // --samples
    bool duration = false;          // --duration
};

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// Reads a number no greater than max (and no less than min) into target, or explains.
template <typename Number>
std::string readNumber(std::string_view what, std::string_view text, std::uint64_t min,
                       std::uint64_t max, Number& target) {
    const std::optional<std::uint64_t> number = parseNumber(text, max);
    if (!number || *number < min) {
        return quoted(text) + " is not " + std::string(what) + " from " + std::to_string(min) +
               " to " + std::to_string(max);
    }
    target = static_cast<Number>(*number);
    return {};
}

// Reads milliseconds, or a time with a unit ("2s"), from 1 to max into target, or explains.
std::string readDuration(std::string_view text, std::uint32_t max, std::uint32_t& target) {
    std::string error;
    const std::optional<std::uint32_t> milliseconds = parseMilliseconds(text, max, error);
    if (milliseconds && *milliseconds == 0) {
        return quoted(text) + " is not a duration from 1 to " + std::to_string(max) + " ms";
    }
    if (milliseconds) {
        target = *milliseconds;
    }
    return error;
}

// The switch an option without a value turns on; null when the option is no allowed switch.
bool* flagOf(OptionSet allowed, std::string_view option, Command& command) {
    if (allowed.measurement && option == "--background") {
        return &command.background;
    }
    if (allowed.samples && option == "--samples") {
        return &command.iso.samples;
    }
    if (allowed.leaveOpen && option == "--leave-open") {
        return &command.leaveOpen;
    }
    return nullptr;
}

bool takesValue(OptionSet allowed, std::string_view option) {
    return (allowed.settings && option == "--set") || (allowed.outputs && option == "--outputs") ||
           (allowed.measurement &&
            (option == "--mode" || option == "--edge" || option == "--timeout")) ||
           (allowed.transfers && (option == "--pipe" || option == "--packet-size" ||
                                  option == "--per-transfer" || option == "--transfers")) ||
           (allowed.packets != nullptr && option == allowed.packets) ||
           (allowed.duration && option == "--duration");
}

// Reads the value of an option of an isochronous read into `command`.
std::string readTransferOption(std::string_view option, std::string_view value, Command& command) {
    IsochronousOptions& iso = command.iso;
    std::uint32_t number = 0;
    std::string error;
    if (option == "--pipe") {
        error = readNumber("a pipe index", value, 0, 31, number);
        iso.pipe = number;
    } else if (option == "--packet-size") {
        error = readNumber("a packet size in bytes", value, 1, kMaxIsoPacketSize, number);
        iso.packetSize = number;
    } else if (option == "--per-transfer") {
        error = readNumber("a number of packets per transfer", value, 1, kMaxPacketsPerTransfer,
                           iso.packetsPerTransfer);
    } else if (option == "--transfers") {
        error = readNumber("a number of transfers", value, 1, kMaxTransfersInFlight, iso.transfers);
    } else if (option == "--duration") {
        error = readDuration(value, kMaxStreamMilliseconds, number);
        iso.durationMs = number;
    } else {
        error = readNumber("a number of packets", value, 1, kMaxIsoPackets, iso.packets);
    }
    return error;
}

std::string parseOptions(OptionSet allowed, std::span<const std::string_view> options,
                         Command& command) {
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string_view option = options[i];
        if (bool* flag = flagOf(allowed, option, command)) {
            *flag = true;
            continue;
        }
        if (!takesValue(allowed, option)) {
            return option.starts_with("-") ? "unknown option " + quoted(option)
                                           : "unexpected argument " + quoted(option);
        }
        if (i + 1 == options.size()) {
            return "option " + std::string(option) + " needs a value";
        }
        const std::string_view value = options[++i];
        std::string error;
        if (option == "--set") {
            if (const std::optional<ParameterSetting> setting = parseSettingWord(value, error)) {
                command.settings.push_back(*setting);
            }
        } else if (option == "--outputs") {
            std::uint32_t mask = 0;
            error = readNumber("an output mask", value, 0, 0xFF, mask);
            command.outputMask = mask;
        } else if (option == "--mode") {
            error = readNumber("a measurement mode", value, 0, 1, command.measureMode);
        } else if (option == "--edge") {
            error = readNumber("an edge", value, 0, 1, command.measureEdge);
        } else if (option == "--timeout") {
            error = readDuration(value, kMaxMeasureTimeout, command.timeoutMilliseconds);
        } else {
            error = readTransferOption(option, value, command);
        }
        if (!error.empty()) {
            return std::string(option) + ": " + error;
        }
    }
    return {};
}

std::string parseSetOperands(std::span<const std::string_view> rest, Command& command) {
    if (rest.empty() || rest.size() % 3 != 0) {
        return "give settings as CHANNEL PARAMETER VALUE, one or more times";
    }
    for (; !rest.empty(); rest = rest.subspan(3)) {
        std::string error;
        const std::optional<ParameterSetting> setting =
            parseSetting(rest[0], rest[1], rest[2], error);
        if (!setting) {
            return error;
        }
        command.settings.push_back(*setting);
    }
    return {};
}

std::string parseOutputsOperands(std::span<const std::string_view> rest, Command& command) {
    if (rest.size() < 2 || (rest[0] != "open" && rest[0] != "close")) {
        return "give 'open MASK' or 'close MASK'";
    }
    command.openOutputs = rest[0] == "open";
    std::uint32_t mask = 0;
    if (std::string error = readNumber("an output mask", rest[1], 0, 0xFF, mask); !error.empty()) {
        return error;
    }
    command.outputMask = mask;
    return parseOptions({.settings = true, .leaveOpen = true}, rest.subspan(2), command);
}

std::string parseMeasureOperands(std::span<const std::string_view> rest, Command& command) {
    if (rest.empty()) {
        return "the input (A, B, out0 to out7, or 1 to 10) is missing";
    }
    const std::optional<std::uint32_t> source = parseSource(rest[0]);
    if (!source) {
        return quoted(rest[0]) + " is not an input (A, B, out0 to out7, or 1 to 10)";
    }
    command.source = *source;
    return parseOptions({.settings = true, .outputs = true, .measurement = true}, rest.subspan(1),
                        command);
}

// MILLISECONDS FILE.vcd, then the options the command allows.
std::string parseRecordingOperands(std::span<const std::string_view> rest, OptionSet allowed,
                                   Command& command) {
    if (rest.size() < 2) {
        return "give the milliseconds and the VCD file";
    }
    if (std::string error = readDuration(rest[0], kMaxCaptureMilliseconds, command.milliseconds);
        !error.empty()) {
        return error;
    }
    command.vcdPath = std::filesystem::path(rest[1]);
    return parseOptions(allowed, rest.subspan(2), command);
}

std::string parseDisassembleOperands(std::span<const std::string_view> rest, Command& command) {
    if (rest.empty()) {
        return "the channel (0 to 7, or 8 for the measurement) is missing";
    }
    if (std::string error = readNumber("a channel (8: the measurement)", rest[0], 0,
                                       QN_CHANNEL_COUNT, command.channel);
        !error.empty()) {
        return error;
    }
    return parseOptions({.settings = true}, rest.subspan(1), command);
}

std::string parseIsoReadOperands(std::span<const std::string_view> rest, Command& command) {
    command.iso.packets = kDefaultIsoReadPackets;
    std::string error =
        parseOptions({.transfers = true, .packets = "--packets", .samples = true}, rest, command);
    const std::uint64_t chunk =
        static_cast<std::uint64_t>(command.iso.packetsPerTransfer) * command.iso.transfers;
    if (error.empty() && command.iso.packets % chunk != 0) {
        error = "the packets (" + std::to_string(command.iso.packets) +
                ") must be a multiple of the packets per transfer times the transfers (" +
                std::to_string(chunk) + ")";
    }
    return error;
}

std::string parseStreamOperands(std::span<const std::string_view> rest, Command& command) {
    if (rest.empty() || rest[0].starts_with("--")) {
        return "the VCD file ('-': standard output) is missing";
    }
    command.vcdPath = std::filesystem::path(rest[0]);
    command.iso.packets = kDefaultStreamRingPackets;
    return parseOptions({.settings = true,
                         .outputs = true,
                         .transfers = true,
                         .packets = "--ring",
                         .duration = true},
                        rest.subspan(1), command);
}

}  // namespace

std::string parseOperationArguments(std::string_view name, std::span<const std::string_view> rest,
                                    Command& command) {
    std::string error;
    switch (command.kind) {
        case CommandKind::Set:
            error = parseSetOperands(rest, command);
            break;
        case CommandKind::Outputs:
            error = parseOutputsOperands(rest, command);
            break;
        case CommandKind::Measure:
            error = parseMeasureOperands(rest, command);
            break;
        case CommandKind::Capture:
            error = parseRecordingOperands(rest, {.settings = true, .outputs = true}, command);
            break;
        case CommandKind::Record:
            error = parseRecordingOperands(rest, {}, command);
            break;
        case CommandKind::Disassemble:
            error = parseDisassembleOperands(rest, command);
            break;
        case CommandKind::IsoRead:
            error = parseIsoReadOperands(rest, command);
            break;
        case CommandKind::Stream:
            error = parseStreamOperands(rest, command);
            break;
        default:
            break;
    }
    return error.empty() ? error : std::string(name) + ": " + error;
}

}  // namespace zousbdiag

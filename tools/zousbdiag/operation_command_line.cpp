#include "tools/zousbdiag/operation_command_line.h"

#include <optional>

#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/time_text.h"

namespace zousbdiag {

namespace {

// Which options a command accepts.
struct OptionSet {
    bool settings = false;     // --set
    bool outputs = false;      // --outputs
    bool measurement = false;  // --mode, --edge, --timeout, --background
    bool leaveOpen = false;    // --leave-open
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

std::string parseOptions(OptionSet allowed, std::span<const std::string_view> options,
                         Command& command) {
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string_view option = options[i];
        if (allowed.measurement && option == "--background") {
            command.background = true;
            continue;
        }
        if (allowed.leaveOpen && option == "--leave-open") {
            command.leaveOpen = true;
            continue;
        }
        const bool known = (allowed.settings && option == "--set") ||
                           (allowed.outputs && option == "--outputs") ||
                           (allowed.measurement &&
                            (option == "--mode" || option == "--edge" || option == "--timeout"));
        if (!known) {
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
        } else {
            error = readDuration(value, kMaxMeasureTimeout, command.timeoutMilliseconds);
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
        default:
            break;
    }
    return error.empty() ? error : std::string(name) + ": " + error;
}

}  // namespace zousbdiag

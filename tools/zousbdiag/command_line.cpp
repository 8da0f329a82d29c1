#include "tools/zousbdiag/command_line.h"

#include <array>
#include <optional>

#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/operation_command_line.h"

namespace zousbdiag {

namespace {

// What follows a command's name.
enum class Operands { None, Instance, DeviceId };

struct CommandName {
    std::string_view name;
    CommandKind kind;
    Operands operands;
    unsigned byteOperands = 0;  // register, value: 0..255 each, after the device identifier
};

constexpr CommandName kCommands[] = {
    {"help", CommandKind::Help, Operands::None},
    {"--help", CommandKind::Help, Operands::None},
    {"-h", CommandKind::Help, Operands::None},
    {"--version", CommandKind::ProgramVersion, Operands::None},
    {"list", CommandKind::List, Operands::None},
    {"descriptors", CommandKind::Descriptors, Operands::Instance},
    {"ioctl", CommandKind::Ioctl, Operands::Instance},
    {"version", CommandKind::Version, Operands::Instance},
    {"last-status", CommandKind::LastStatus, Operands::Instance},
    {"record", CommandKind::Record, Operands::Instance},
    {"enumerate", CommandKind::Enumerate, Operands::None},
    {"device-info", CommandKind::DeviceInfo, Operands::DeviceId},
    {"hardware-error", CommandKind::HardwareError, Operands::DeviceId},
    {"read-register", CommandKind::ReadRegister, Operands::DeviceId, 1},
    {"write-register", CommandKind::WriteRegister, Operands::DeviceId, 2},
    {"settings", CommandKind::Settings, Operands::DeviceId},
    {"set", CommandKind::Set, Operands::DeviceId},
    {"outputs", CommandKind::Outputs, Operands::DeviceId},
    {"measure", CommandKind::Measure, Operands::DeviceId},
    {"capture", CommandKind::Capture, Operands::DeviceId},
    {"disassemble", CommandKind::Disassemble, Operands::DeviceId},
    {"iso-read", CommandKind::IsoRead, Operands::Instance},
    {"stream", CommandKind::Stream, Operands::Instance},
};

bool operatesDevice(CommandKind kind) {
    return kind == CommandKind::Set || kind == CommandKind::Outputs ||
           kind == CommandKind::Measure || kind == CommandKind::Capture ||
           kind == CommandKind::Disassemble;
}

// Reads the device identifier and the register operands of a library command.
std::string parseDeviceOperands(const CommandName& known, std::span<const std::string_view>& rest,
                                Command& command) {
    const std::string name(known.name);
    if (rest.empty()) {
        return name + ": the device identifier (1 to 5) is missing";
    }
    const std::optional<std::uint64_t> id = parseNumber(rest[0], kLastDeviceId);
    if (!id || *id < kFirstDeviceId) {
        return name + ": '" + std::string(rest[0]) + "' is not a device identifier from 1 to 5";
    }
    command.deviceId = static_cast<unsigned>(*id);
    rest = rest.subspan(1);
    constexpr std::array<const char*, 2> kByteNames = {"register", "value"};
    std::array<std::uint8_t*, 2> targets = {&command.reg, &command.value};
    for (unsigned i = 0; i < known.byteOperands; ++i) {
        if (rest.empty()) {
            return name + ": the " + kByteNames[i] + " (0 to 255) is missing";
        }
        const std::optional<std::uint64_t> byte = parseNumber(rest[0], 0xFF);
        if (!byte) {
            return name + ": '" + std::string(rest[0]) + "' is not a " + kByteNames[i] +
                   " from 0 to 255";
        }
        *targets[i] = static_cast<std::uint8_t>(*byte);
        rest = rest.subspan(1);
    }
    return {};
}

ParsedCommandLine failure(std::string error) {
    return {Command{}, std::move(error)};
}

// help [parameters | modes]
std::string parseHelpTopic(std::span<const std::string_view>& rest, Command& command) {
    if (rest.empty()) {
        return {};
    }
    if (rest[0] == "parameters") {
        command.helpTopic = HelpTopic::Parameters;
    } else if (rest[0] == "modes") {
        command.helpTopic = HelpTopic::Modes;
    } else {
        return "help: '" + std::string(rest[0]) + "' is no topic (parameters, modes)";
    }
    rest = rest.subspan(1);
    return {};
}

// Reads the options of the ioctl command: --in HEX, --out LENGTH, --32bit, each at most once.
std::string parseIoctlOptions(std::span<const std::string_view> options, Command& command) {
    bool seenIn = false;
    bool seenOut = false;
    bool seen32Bit = false;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string_view option = options[i];
        bool* seen = option == "--in"      ? &seenIn
                     : option == "--out"   ? &seenOut
                     : option == "--32bit" ? &seen32Bit
                                           : nullptr;
        if (seen == nullptr) {
            return "ioctl: unknown option '" + std::string(option) + "'";
        }
        if (*seen) {
            return "ioctl: option " + std::string(option) + " is given twice";
        }
        *seen = true;
        if (option == "--32bit") {
            command.from32BitProcess = true;
            continue;
        }
        if (i + 1 == options.size()) {
            return "ioctl: option " + std::string(option) + " needs a value";
        }
        const std::string_view value = options[++i];
        if (option == "--in") {
            HexBytes input = parseHexBytes(value);
            if (!input.error.empty()) {
                return "ioctl: --in: " + input.error;
            }
            command.input = std::move(input.bytes);
        } else {
            const std::optional<std::uint64_t> length = parseNumber(value, kMaxOutputLength);
            if (!length) {
                return "ioctl: --out '" + std::string(value) + "' is not a length from 0 to " +
                       std::to_string(kMaxOutputLength);
            }
            command.outputLength = static_cast<std::uint32_t>(*length);
        }
    }
    return {};
}

}  // namespace

ParsedCommandLine parseCommandLine(std::span<const std::string_view> arguments) {
    if (arguments.empty()) {
        return failure("no command given");
    }
    const std::string_view name = arguments[0];
    const CommandName* known = nullptr;
    for (const CommandName& candidate : kCommands) {
        if (candidate.name == name) {
            known = &candidate;
        }
    }
    if (known == nullptr) {
        return failure("unknown command '" + std::string(name) + "'");
    }
    Command command;
    command.kind = known->kind;
    std::span<const std::string_view> rest = arguments.subspan(1);
    if (command.kind == CommandKind::Help) {
        if (std::string error = parseHelpTopic(rest, command); !error.empty()) {
            return failure(std::move(error));
        }
    }
    if (known->operands == Operands::DeviceId) {
        if (std::string error = parseDeviceOperands(*known, rest, command); !error.empty()) {
            return failure(std::move(error));
        }
        if (operatesDevice(command.kind)) {
            std::string error = parseOperationArguments(name, rest, command);
            return {error.empty() ? command : Command{}, std::move(error)};
        }
    }
    if (known->operands == Operands::Instance) {
        if (rest.empty()) {
            return failure(std::string(name) + ": the hub instance (0 to 7) is missing");
        }
        const std::optional<std::uint64_t> instance = parseNumber(rest[0], kInstanceCount - 1);
        if (!instance) {
            return failure(std::string(name) + ": '" + std::string(rest[0]) +
                           "' is not a hub instance from 0 to 7");
        }
        command.instance = static_cast<unsigned>(*instance);
        rest = rest.subspan(1);
    }
    if (command.kind == CommandKind::Record || command.kind == CommandKind::IsoRead ||
        command.kind == CommandKind::Stream) {
        std::string error = parseOperationArguments(name, rest, command);
        return {error.empty() ? command : Command{}, std::move(error)};
    }
    if (command.kind == CommandKind::Ioctl) {
        if (rest.empty()) {
            return failure("ioctl: the I/O-control code is missing");
        }
        const std::optional<std::uint64_t> code = parseNumber(rest[0], UINT32_MAX);
        if (!code) {
            return failure("ioctl: '" + std::string(rest[0]) +
                           "' is not a 32-bit code (decimal or 0x-hexadecimal)");
        }
        command.code = static_cast<std::uint32_t>(*code);
        std::string error = parseIoctlOptions(rest.subspan(1), command);
        if (!error.empty()) {
            return failure(std::move(error));
        }
        return {command, {}};
    }
    if (!rest.empty()) {
        return failure(std::string(name) + ": unexpected argument '" + std::string(rest[0]) + "'");
    }
    return {command, {}};
}

}  // namespace zousbdiag

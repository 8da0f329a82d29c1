#pragma once
// zousbsim's command line.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zo::zousbsim {

enum class CommandKind { Help, Start, Run, Stop, Status, Plug, Unplug, Capture };

struct Command {
    CommandKind kind = CommandKind::Help;
    std::string entry = "sim";   // plug: one entry of ZOUSB_DEVICES
    std::uint32_t port = 0;      // unplug
    std::string captureFile;     // capture: the file; empty: stop capturing
    std::optional<int> readyFd;  // run: where to say "ready" (or why not), then close
};

struct ParsedCommand {
    std::optional<Command> command;
    std::string error;  // why the command line was refused
};

ParsedCommand parseCommandLine(const std::vector<std::string>& arguments);

void printUsage(std::ostream& out);

}  // namespace zo::zousbsim

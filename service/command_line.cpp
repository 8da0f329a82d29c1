#include "service/command_line.h"

#include <charconv>

namespace zo::zousbsim {

namespace {

std::optional<std::uint32_t> parseNumber(const std::string& text) {
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return number;
}

ParsedCommand refuse(std::string why) {
    return {std::nullopt, std::move(why)};
}

}  // namespace

ParsedCommand parseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return {Command{}, {}};
    }
    const std::string& name = arguments[0];
    const std::size_t operands = arguments.size() - 1;
    Command command;
    if (name == "help" || name == "--help" || name == "-h") {
        return {command, {}};
    }
    if ((name == "start" || name == "stop" || name == "status") && operands == 0) {
        command.kind = name == "start"  ? CommandKind::Start
                       : name == "stop" ? CommandKind::Stop
                                        : CommandKind::Status;
        return {command, {}};
    }
    if (name == "run" && (operands == 0 || (operands == 2 && arguments[1] == "--ready-fd"))) {
        command.kind = CommandKind::Run;
        if (operands == 2) {
            const auto fd = parseNumber(arguments[2]);
            if (!fd || *fd > 1024) {
                return refuse("--ready-fd takes a file descriptor number");
            }
            command.readyFd = static_cast<int>(*fd);
        }
        return {command, {}};
    }
    if (name == "plug" && operands <= 1) {
        command.kind = CommandKind::Plug;
        if (operands == 1) {
            command.entry = arguments[1];
        }
        return {command, {}};
    }
    if (name == "unplug" && operands == 1) {
        const auto port = parseNumber(arguments[1]);
        if (!port || *port == 0) {
            return refuse("unplug takes a port number (1, 2, ...) as 'zousbsim status' lists them");
        }
        command.kind = CommandKind::Unplug;
        command.port = *port;
        return {command, {}};
    }
    if (name == "capture" && operands == 1) {
        command.kind = CommandKind::Capture;
        command.captureFile = arguments[1] == "stop" ? std::string{} : arguments[1];
        return {command, {}};
    }
    return refuse("unknown command or wrong operands: '" + name + "' (see 'zousbsim help')");
}

void printUsage(std::ostream& out) {
    out << R"(zousbsim: the simulated machine as a service of the user, shared by every program

Commands:
  start            start the service in the background, with the hubs of ZOUSB_DEVICES (and the
                   usbmon capture of ZOUSB_CAPTURE); nothing happens when it already runs
  run              the same in the foreground, until Ctrl-C or 'zousbsim stop'
  stop             stop the service: open handles are closed, the hubs unplugged
  status           the hubs with their speed and options, the open handles with their processes,
                   and the capture
  plug [ENTRY]     plug in a hub described as one entry of ZOUSB_DEVICES (default 'sim'), for
                   example 'zousbsim plug sim:speed=full,serial=0x1234'
  unplug PORT      pull out the hub on port PORT (as 'zousbsim status' lists them)
  capture FILE     write every USB transfer from now on to FILE (usbmon pcap)
  capture stop     stop writing the capture
  help             this text

The service listens at $ZOUSB_SERVICE, else at $XDG_RUNTIME_DIR/zousb/zousbsim.socket (else
/tmp/zousb-<uid>/zousbsim.socket). Every program of the suite started while it runs uses its
hubs; without it, each program has a simulated machine of its own.
)";
}

}  // namespace zo::zousbsim

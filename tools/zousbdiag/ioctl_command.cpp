// The ioctl command: any I/O-control code with the caller's input bytes and output length.

#include <algorithm>
#include <vector>

#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/hex_text.h"

namespace zousbdiag {

int runIoctl(const Command& command, std::ostream& out, std::ostream& err) {
    std::optional<HubConnection> hub =
        openHubOrReport(command.instance, err, command.from32BitProcess);
    if (!hub) {
        return kExitFailure;
    }
    std::vector<std::uint8_t> output(command.outputLength);
    const zo::platform::IoControlResult result = hub->control(command.code, command.input, output);
    // Information may count more bytes than the buffer holds (the 32-bit interface record does);
    // only the buffer's bytes exist to be shown.
    const std::size_t shown = std::min<std::size_t>(result.bytesReturned, output.size());
    out << "Code         " << hexNumber(command.code, 8) << " on "
        << hubDeviceName(command.instance)
        << (command.from32BitProcess ? " (as a 32-bit caller)" : "") << '\n'
        << "Status       " << describeStatus(result.status) << '\n'
        << "Information  " << result.bytesReturned << '\n'
        << "Output       " << shown << " of " << output.size() << " bytes\n"
        << hexDump(std::span(output).first(shown));
    if (!result.succeeded()) {
        err << "zousbdiag: the request failed: " << describeStatus(result.status) << '\n';
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace zousbdiag

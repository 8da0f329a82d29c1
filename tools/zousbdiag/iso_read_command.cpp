// iso-read: one one-shot isochronous read (IOCTL_ZOUSB_ISO_READ), each packet shown with its
// status and its bytes, or with --samples as the hub's signal packet it is.

#include <iomanip>
#include <sstream>

#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/isochronous_pipe.h"
#include "tools/zousbdiag/signal_packet_reader.h"

namespace zousbdiag {

namespace {

// The samples of a signal packet as runs of equal levels, one line each.
void printSamples(std::ostream& out, const SignalPacket& packet) {
    out << "  sequence " << packet.sequence << "  frame " << packet.frame << "  first tick "
        << packet.firstTick << "  a sample every " << packet.periodTicks * 20 << " ns  "
        << packet.samples.size() << " samples"
        << (packet.samplesLostBefore ? "  (samples were lost before it)" : "") << '\n';
    for (std::size_t start = 0; start < packet.samples.size();) {
        std::size_t end = start + 1;
        while (end < packet.samples.size() && packet.samples[end] == packet.samples[start]) {
            ++end;
        }
        out << "    tick " << std::setw(12) << packet.firstTick + start * packet.periodTicks
            << "  levels " << hexNumber(packet.samples[start], 3) << " x " << end - start << '\n';
        start = end;
    }
}

}  // namespace

int runIsoRead(const Command& command, std::ostream& out, std::ostream& err) {
    std::optional<IsochronousHub> opened =
        openIsochronousHub(command.instance, command.iso.pipe, err);
    if (!opened) {
        return kExitFailure;
    }
    HubConnection& hub = opened->hub;
    const IsochronousPipe& pipe = opened->pipe;
    const IsochronousOptions& iso = command.iso;
    const ZOUSB_ISO_TRANSFER record = isoTransferRecord(pipe, iso);
    const std::uint32_t size = record.packetSize;
    std::vector<std::uint8_t> output(static_cast<std::size_t>(iso.packets) *
                                     (size + sizeof(ZOUSB_PACKET_RECORD)));
    const auto result = hub.control(IOCTL_ZOUSB_ISO_READ, isoTransferBytes(record), output);
    if (!result.succeeded()) {
        err << "zousbdiag: the isochronous read failed: " << describeStatus(result.status) << '\n';
        return kExitFailure;
    }
    out << "Pipe " << pipe.index << " (endpoint " << hexNumber(pipe.endpoint, 2) << ") of "
        << hubDeviceName(command.instance) << ": " << iso.packets << " packets of up to " << size
        << " bytes, in transfers of " << iso.packetsPerTransfer << " packets, " << iso.transfers
        << " in flight\n";
    std::uint64_t arrived = 0;
    std::uint64_t bytes = 0;
    std::uint32_t index = 0;
    for (const ReceivedPacket& packet : receivedPackets(output, iso.packets, size)) {
        out << "Packet " << std::setw(5) << index++ << "  " << usbdStatusName(packet.status) << "  "
            << packet.data.size() << " bytes\n";
        arrived += packet.status == 0 ? 1 : 0;
        bytes += packet.data.size();
        const std::optional<SignalPacket> signals =
            iso.samples ? readSignalPacket(packet.data) : std::nullopt;
        if (signals) {
            printSamples(out, *signals);
        } else {
            out << hexDump(packet.data);
        }
    }
    out << iso.packets << " packets: " << arrived << " arrived, " << iso.packets - arrived
        << " failed, " << bytes << " bytes\n";
    if (arrived == 0) {
        err << "zousbdiag: no packet arrived\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace zousbdiag

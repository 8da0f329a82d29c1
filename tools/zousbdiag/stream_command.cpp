// stream: reads the hub's signal stream through a driver stream (IOCTL_ZOUSB_START_STREAM,
// IOCTL_ZOUSB_READ_STREAM, IOCTL_ZOUSB_STOP_STREAM) for a while or until Ctrl-C, writes the
// signals as a VCD and tells how many packets arrived, were lost to full rings, or failed.

#include <chrono>
#include <fstream>
#include <iomanip>
#include <memory>
#include <thread>

#include "kernel/ntstatus.h"
#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/isochronous_pipe.h"
#include "tools/zousbdiag/open_device.h"
#include "tools/zousbdiag/operation_warnings.h"
#include "tools/zousbdiag/signal_trace.h"
#include "tools/zousbdiag/simulated_hub_lookup.h"
#include "tools/zousbdiag/stop_request.h"
#include "tools/zousbdiag/stream_progress.h"
#include "tools/zousbdiag/wait_progress.h"

namespace zousbdiag {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kPacketsPerRead = 256;
constexpr auto kIdleWait = std::chrono::milliseconds(5);
// After the stop, the slots end within a transfer each; the rest of the rings is collected.
constexpr auto kWindDownLimit = std::chrono::seconds(2);

class StreamReader {
  public:
    StreamReader(HubConnection& hub, const IsochronousPipe& pipe, std::uint32_t packetSize,
                 SignalTrace& trace)
        : hub_(hub),
          request_(isoTransferBytes({pipe.index, packetSize, kPacketsPerRead, 0, 0})),
          packetSize_(packetSize),
          buffer_(static_cast<std::size_t>(kPacketsPerRead) *
                  (packetSize + sizeof(ZOUSB_PACKET_RECORD))),
          trace_(trace) {}

    // Hands whatever the rings hold to the trace; nullopt once the stream has gone.
    std::optional<std::uint32_t> collect() {
        const auto result = hub_.control(IOCTL_ZOUSB_READ_STREAM, request_, buffer_);
        if (!result.succeeded()) {
            return std::nullopt;
        }
        const auto count = static_cast<std::uint32_t>(result.bytesReturned /
                                                      (packetSize_ + sizeof(ZOUSB_PACKET_RECORD)));
        for (const ReceivedPacket& packet :
             receivedPackets(std::span(buffer_).first(result.bytesReturned), count, packetSize_)) {
            trace_.add(packet);
        }
        return count;
    }

  private:
    HubConnection& hub_;
    const std::vector<std::uint8_t> request_;
    const std::uint32_t packetSize_;
    std::vector<std::uint8_t> buffer_;
    SignalTrace& trace_;
};

// Opens the library's device of the hub and applies the command's settings and outputs, when it
// has any; null with the complaint told when that fails.
bool prepareOutputs(const Command& command, std::unique_ptr<OpenDevice>& device,
                    std::ostream& err) {
    if (command.settings.empty() && !command.outputMask) {
        return true;
    }
    // The library names hub instance N as device N + 1.
    const unsigned id = command.instance + 1;
    if (id > kLastDeviceId) {
        err << "zousbdiag: --set and --outputs reach hubs 0 to " << kLastDeviceId - 1
            << " through the library\n";
        return false;
    }
    device = std::make_unique<OpenDevice>(id, err);
    if (!device->isOpen()) {
        return false;
    }
    const std::optional<QnDeviceSettings> settings =
        changeDeviceSettings(device->handle(), command.settings, err);
    if (!settings) {
        return false;
    }
    // The outputs to open: --outputs, or else every channel a --set names.
    const std::uint32_t mask = command.outputMask.value_or(channelsOf(command.settings));
    warnAboutSilentOutputs(*settings, mask, inputSignalsOf(id), err);
    if (const std::int32_t status = QnOpenOutputs(device->handle(), mask); status != QN_OK) {
        reportFailure("QnOpenOutputs", status, device->handle(), err);
        return false;
    }
    return true;
}

void report(std::ostream& out, const std::string& source, const std::string& target, double seconds,
            const SignalTrace& trace) {
    const SignalTrace::Counts& counts = trace.counts();
    out << "Streamed " << std::fixed << std::setprecision(3) << seconds << std::defaultfloat
        << " s from " << source << " into " << target << '\n'
        << "Packets  " << counts.received << " received, " << counts.lost << " lost to full rings, "
        << counts.failed << " failed";
    if (counts.unreadable != 0) {
        out << ", " << counts.unreadable << " not signal packets";
    }
    out << "\nSamples  " << counts.samples << " (" << counts.samplesLost << " lost)\n";
}

}  // namespace

int runStream(const Command& command, std::ostream& out, std::ostream& err) {
    const StopRequest stop;
    std::unique_ptr<OpenDevice> device;
    if (!prepareOutputs(command, device, err)) {
        return kExitFailure;
    }
    std::optional<IsochronousHub> opened =
        openIsochronousHub(command.instance, command.iso.pipe, err);
    if (!opened) {
        return kExitFailure;
    }
    HubConnection& hub = opened->hub;
    const IsochronousPipe& pipe = opened->pipe;
    const bool toStandardOutput = command.vcdPath == "-";
    std::ofstream file;
    if (!toStandardOutput) {
        file.open(command.vcdPath, std::ios::binary | std::ios::trunc);
        if (!file) {
            err << "zousbdiag: cannot write " << command.vcdPath.string() << '\n';
            return kExitFailure;
        }
    }
    std::ostream& vcd = toStandardOutput ? out : file;
    std::ostream& summary = toStandardOutput ? err : out;

    const IsochronousOptions& iso = command.iso;
    const ZOUSB_ISO_TRANSFER start = isoTransferRecord(pipe, iso);
    const std::uint32_t size = start.packetSize;
    if (const auto result = hub.control(IOCTL_ZOUSB_START_STREAM, isoTransferBytes(start), {});
        !result.succeeded()) {
        err << "zousbdiag: the stream does not start: " << describeStatus(result.status)
            << (result.status == STATUS_DEVICE_BUSY ? " (another stream runs on this hub)" : "")
            << '\n';
        return kExitFailure;
    }
    SignalTrace trace(vcd);
    StreamReader reader(hub, pipe, size, trace);
    const std::optional<std::chrono::milliseconds> duration =
        iso.durationMs ? std::optional(std::chrono::milliseconds(*iso.durationMs)) : std::nullopt;
    StreamProgress progress(err, errorsGoToTerminal(), duration);
    const Clock::time_point began = Clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - began);
    };
    bool endedEarly = false;  // the stream went before it was stopped (the hub went away)
    while (!stop.requested() && (!duration || elapsed() < *duration)) {
        const std::optional<std::uint32_t> collected = reader.collect();
        if (!collected) {
            endedEarly = true;
            break;
        }
        progress.show(elapsed(), trace.counts());
        if (*collected == 0) {
            std::this_thread::sleep_for(kIdleWait);
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
    hub.control(IOCTL_ZOUSB_STOP_STREAM, {}, {});
    bool woundDown = endedEarly;
    for (const Clock::time_point stopped = Clock::now();
         !woundDown && Clock::now() - stopped < kWindDownLimit;) {
        const std::optional<std::uint32_t> collected = reader.collect();
        woundDown = !collected;
        if (collected == 0u) {
            std::this_thread::sleep_for(kIdleWait);
        }
    }
    trace.finish();
    vcd.flush();
    progress.clear();
    if (!vcd) {
        err << "zousbdiag: cannot write " << command.vcdPath.string() << '\n';
        return kExitFailure;
    }
    const std::string source =
        hubDeviceName(command.instance) + " pipe " + std::to_string(pipe.index);
    report(summary, source, toStandardOutput ? "standard output" : command.vcdPath.string(),
           seconds, trace);
    if (endedEarly) {
        err << "zousbdiag: the stream ended before it was stopped: the hub went away\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace zousbdiag

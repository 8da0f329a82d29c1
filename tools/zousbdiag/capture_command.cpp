// capture: applies settings, opens outputs and records the hub's outputs and inputs for a number
// of milliseconds into a VCD file. record: the same for a hub as it runs, without opening it.

#include <chrono>
#include <sstream>
#include <thread>

#include "hub/vcd_writer.h"
#include "platform/hub_recording.h"
#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/open_device.h"
#include "tools/zousbdiag/operation_warnings.h"
#include "tools/zousbdiag/simulated_hub_lookup.h"
#include "tools/zousbdiag/time_text.h"
#include "tools/zousbdiag/wait_progress.h"

namespace zousbdiag {

namespace {

// The outputs to open: --outputs, or else every channel a --set names.
std::uint32_t outputsToOpen(const Command& command) {
    return command.outputMask.value_or(channelsOf(command.settings));
}

std::optional<zo::platform::HubRecording> startRecording(unsigned instance, std::ostream& err) {
    zo::platform::KernelStatus status = 0;
    std::optional<zo::platform::HubRecording> recording =
        zo::platform::HubRecording::start(hubDeviceName(instance), status);
    if (!recording) {
        err << "zousbdiag: cannot record " << hubDeviceName(instance) << " ("
            << describeStatus(status) << ")\n";
    }
    return recording;
}

// The hub's clock is the wall clock: the recording lasts as long as the tool waits. Writes the
// file and tells what it holds, after `what` ("outputs 0x1 open").
int finishRecording(zo::platform::HubRecording& recording, const Command& command,
                    const std::string& what, std::ostream& out, std::ostream& err) {
    {
        const std::chrono::milliseconds duration(command.milliseconds);
        const WaitProgress progress(err, errorsGoToTerminal(), "recording", duration);
        std::this_thread::sleep_for(duration);
    }
    zo::platform::KernelStatus status = 0;
    const std::optional<zo::hub::Waveform> waveform = recording.stop(status);
    if (!waveform) {
        err << "zousbdiag: the recording was lost (" << describeStatus(status) << ")\n";
        return kExitFailure;
    }
    if (!zo::hub::writeVcdFile(command.vcdPath, *waveform)) {
        err << "zousbdiag: cannot write " << command.vcdPath.string() << '\n';
        return kExitFailure;
    }
    const std::uint64_t recorded = waveform->endNanoseconds - waveform->startNanoseconds;
    out << "Recorded " << recorded << " ns (" << durationText(recorded) << "), "
        << waveform->transitions.size() << " transitions, " << what
        << (waveform->truncated ? " (cut at the transition limit)" : "") << ", into "
        << command.vcdPath.string() << '\n';
    return kExitSuccess;
}

std::string hexMask(std::uint32_t mask) {
    std::ostringstream text;
    text << "0x" << std::hex << mask;
    return text.str();
}

}  // namespace

int runCapture(const Command& command, std::ostream& out, std::ostream& err) {
    const OpenDevice device(command.deviceId, err);
    if (!device.isOpen()) {
        return kExitFailure;
    }
    const std::optional<QnDeviceSettings> settings =
        changeDeviceSettings(device.handle(), command.settings, err);
    if (!settings) {
        return kExitFailure;
    }
    // Device ID is slot ID - 1, the hub opened as "\\.\ZOUSB-<slot>".
    std::optional<zo::platform::HubRecording> recording = startRecording(command.deviceId - 1, err);
    if (!recording) {
        return kExitFailure;
    }
    const std::uint32_t mask = outputsToOpen(command);
    warnAboutSilentOutputs(*settings, mask, inputSignalsOf(command.deviceId), err);
    // Recording starts before the outputs open so that the file shows them starting.
    if (const std::int32_t status = QnOpenOutputs(device.handle(), mask); status != QN_OK) {
        return reportFailure("QnOpenOutputs", status, device.handle(), err);
    }
    return finishRecording(*recording, command, "outputs " + hexMask(mask) + " open", out, err);
}

int runRecord(const Command& command, std::ostream& out, std::ostream& err) {
    std::optional<zo::platform::HubRecording> recording = startRecording(command.instance, err);
    if (!recording) {
        return kExitFailure;
    }
    return finishRecording(*recording, command, "hub " + hubDeviceName(command.instance), out, err);
}

}  // namespace zousbdiag

// capture: applies settings, opens outputs and records the simulated hub's outputs and inputs
// for a number of milliseconds into a VCD file.

#include <chrono>
#include <thread>

#include "hub/vcd_writer.h"
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
    zo::hub::SimulatedHub* hub = simulatedHub(command.deviceId);
    if (hub == nullptr) {
        err << "zousbdiag: device " << command.deviceId << " is not a simulated hub\n";
        return kExitFailure;
    }
    const std::uint32_t mask = outputsToOpen(command);
    warnAboutSilentOutputs(*settings, mask, inputSignalsOf(command.deviceId), err);
    // Recording starts before the outputs open so that the file shows them starting.
    hub->startRecording();
    if (const std::int32_t status = QnOpenOutputs(device.handle(), mask); status != QN_OK) {
        hub->stopRecording();
        return reportFailure("QnOpenOutputs", status, device.handle(), err);
    }
    // The hub's clock is the wall clock: the recording lasts as long as the tool waits.
    {
        const std::chrono::milliseconds duration(command.milliseconds);
        const WaitProgress progress(err, errorsGoToTerminal(), "capture", duration);
        std::this_thread::sleep_for(duration);
    }
    const zo::hub::Waveform waveform = hub->stopRecording();
    if (!zo::hub::writeVcdFile(command.vcdPath, waveform)) {
        err << "zousbdiag: cannot write " << command.vcdPath.string() << '\n';
        return kExitFailure;
    }
    const std::uint64_t recorded = waveform.endNanoseconds - waveform.startNanoseconds;
    out << "Recorded " << recorded << " ns (" << durationText(recorded) << "), "
        << waveform.transitions.size() << " transitions, outputs 0x" << std::hex << mask << std::dec
        << " open" << (waveform.truncated ? " (cut at the transition limit)" : "") << ", into "
        << command.vcdPath.string() << '\n';
    return kExitSuccess;
}

}  // namespace zousbdiag

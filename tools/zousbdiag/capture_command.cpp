// capture: applies settings, opens outputs and records the simulated hub's outputs and inputs
// for a number of milliseconds into a VCD file.

#include <chrono>
#include <thread>

#include "hub/simulated_hub.h"
#include "hub/vcd_writer.h"
#include "kernel/machine.h"
#include "kernel/usb_bus.h"
#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/open_device.h"

namespace zousbdiag {

namespace {

// The simulated hub behind device ID. On a fresh machine the driver names the hubs in the order
// they were plugged in, so device ID (slot ID - 1, "\\.\ZOUSB-<slot>") is the ID-th port.
zo::hub::SimulatedHub* simulatedHub(unsigned id) {
    const std::vector<zo::kernel::UsbPort*> ports = zo::kernel::Machine::current().bus().ports();
    if (id == 0 || id > ports.size()) {
        return nullptr;
    }
    return dynamic_cast<zo::hub::SimulatedHub*>(&ports[id - 1]->device());
}

}  // namespace

int runCapture(const Command& command, std::ostream& out, std::ostream& err) {
    const OpenDevice device(command.deviceId, err);
    if (!device.isOpen() || !changeDeviceSettings(device.handle(), command.settings, err)) {
        return kExitFailure;
    }
    zo::hub::SimulatedHub* hub = simulatedHub(command.deviceId);
    if (hub == nullptr) {
        err << "zousbdiag: device " << command.deviceId << " is not a simulated hub\n";
        return kExitFailure;
    }
    const std::uint32_t mask = outputsToOpen(command.outputMask, command.settings);
    // Recording starts before the outputs open so that the file shows them starting.
    hub->startRecording();
    if (const std::int32_t status = QnOpenOutputs(device.handle(), mask); status != QN_OK) {
        hub->stopRecording();
        return reportFailure("QnOpenOutputs", status, device.handle(), err);
    }
    // The hub's clock is the wall clock: the recording lasts as long as the tool waits.
    std::this_thread::sleep_for(std::chrono::milliseconds(command.milliseconds));
    const zo::hub::Waveform waveform = hub->stopRecording();
    if (!zo::hub::writeVcdFile(command.vcdPath, waveform)) {
        err << "zousbdiag: cannot write " << command.vcdPath.string() << '\n';
        return kExitFailure;
    }
    out << "Recorded " << (waveform.endNanoseconds - waveform.startNanoseconds) << " ns, "
        << waveform.transitions.size() << " transitions, outputs 0x" << std::hex << mask << std::dec
        << " open" << (waveform.truncated ? " (cut at the transition limit)" : "") << ", into "
        << command.vcdPath.string() << '\n';
    return kExitSuccess;
}

}  // namespace zousbdiag

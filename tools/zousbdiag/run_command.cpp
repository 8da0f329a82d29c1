#include "tools/zousbdiag/commands.h"

#include "kernel/ntstatus.h"
#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/lock_wait_notices.h"

namespace zousbdiag {

std::string describeStatus(zo::platform::KernelStatus status) {
    const std::string hex = hexNumber(static_cast<std::uint32_t>(status), 8);
    const std::string name = zo::platform::statusText(status);
    return name == hex ? hex : name + " (" + hex + ")";
}

std::optional<HubConnection> openHubOrReport(unsigned instance, std::ostream& err,
                                             bool from32BitProcess) {
    zo::platform::KernelStatus status = 0;
    std::optional<HubConnection> hub = HubConnection::open(instance, status, from32BitProcess);
    if (!hub) {
        err << "zousbdiag: " << hubDeviceName(instance)
            << (status == STATUS_OBJECT_NAME_NOT_FOUND ? ": no such hub ("
                                                       : ": cannot open the hub (")
            << describeStatus(status) << ")\n";
    }
    return hub;
}

int runCommand(const Command& command, std::ostream& out, std::ostream& err) {
    switch (command.kind) {
        case CommandKind::Help:
            (command.helpTopic == HelpTopic::Parameters ? printParameterReference
             : command.helpTopic == HelpTopic::Modes    ? printModeReference
                                                        : printUsage)(out);
            return kExitSuccess;
        case CommandKind::ProgramVersion:
            out << "zousbdiag " << ZO_VERSION << '\n';
            return kExitSuccess;
        default:
            break;
    }
    for (const ParameterSetting& setting : command.settings) {
        if (!setting.note.empty()) {
            err << "zousbdiag: note: " << setting.note << '\n';
        }
    }
    if (const std::string problem = machineConfigurationError(); !problem.empty()) {
        err << "zousbdiag: the simulated machine is not as configured: " << problem << '\n';
        return kExitFailure;
    }
    const LockWaitNotices notices(err);
    switch (command.kind) {
        case CommandKind::List:
            return runList(out, err);
        case CommandKind::Descriptors:
            return runDescriptors(command.instance, out, err);
        case CommandKind::Ioctl:
            return runIoctl(command, out, err);
        case CommandKind::Version:
            return runVersion(command.instance, out, err);
        case CommandKind::LastStatus:
            return runLastStatus(command.instance, out, err);
        case CommandKind::Record:
            return runRecord(command, out, err);
        case CommandKind::Enumerate:
            return runEnumerate(out, err);
        case CommandKind::DeviceInfo:
            return runDeviceInfo(command.deviceId, out, err);
        case CommandKind::HardwareError:
            return runHardwareError(command.deviceId, out, err);
        case CommandKind::ReadRegister:
            return runReadRegister(command, out, err);
        case CommandKind::WriteRegister:
            return runWriteRegister(command, out, err);
        case CommandKind::Settings:
            return runSettings(command.deviceId, out, err);
        case CommandKind::Set:
            return runSet(command, out, err);
        case CommandKind::Outputs:
            return runOutputs(command, out, err);
        case CommandKind::Measure:
            return runMeasure(command, out, err);
        case CommandKind::Capture:
            return runCapture(command, out, err);
        case CommandKind::Disassemble:
            return runDisassemble(command, out, err);
        case CommandKind::IsoRead:
            return runIsoRead(command, out, err);
        case CommandKind::Stream:
            return runStream(command, out, err);
        case CommandKind::Help:
        case CommandKind::ProgramVersion:
            break;
    }
    return kExitSuccess;
}

}  // namespace zousbdiag

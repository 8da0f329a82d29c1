// The commands that go through the device-access library, as an application would: device
// information, the hardware error, registers and settings records.

#include <array>
#include <cstdio>

#include "include/QuintelDrv.h"
#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/open_device.h"
#include "tools/zousbdiag/settings_text.h"

namespace zousbdiag {

int runDeviceInfo(unsigned id, std::ostream& out, std::ostream& err) {
    const OpenDevice device(id, err);
    if (!device.isOpen()) {
        return kExitFailure;
    }
    static constexpr std::array<const char*, 6> kTypes = {
        "0 kind", "1 identifier", "2 constant", "3 serial", "4 firmware", "5 speed code"};
    for (uint32_t type = 0; type < kTypes.size(); ++type) {
        int32_t value = 0;
        int32_t reserved = 0;
        if (const int32_t status = QnGetDeviceInfo(device.handle(), type, &value, &reserved);
            status != QN_OK) {
            return reportFailure("QnGetDeviceInfo", status, device.handle(), err);
        }
        char line[64];
        std::snprintf(line, sizeof line, "%-14s %d\n", kTypes[type], value);
        out << line;
    }
    out << hardwareErrorLine(device.handle()) << '\n';
    return kExitSuccess;
}

int runHardwareError(unsigned id, std::ostream& out, std::ostream& err) {
    const OpenDevice device(id, err);
    if (!device.isOpen()) {
        return kExitFailure;
    }
    out << hardwareErrorLine(device.handle()) << '\n';
    return kExitSuccess;
}

int runReadRegister(const Command& command, std::ostream& out, std::ostream& err) {
    const OpenDevice device(command.deviceId, err);
    if (!device.isOpen()) {
        return kExitFailure;
    }
    int32_t value = 0;
    if (const int32_t status = QnReadRegister(device.handle(), command.reg, &value);
        status != QN_OK) {
        return reportFailure("QnReadRegister", status, device.handle(), err);
    }
    out << "Register " << hexNumber(command.reg, 2) << " = " << hexNumber(value, 2) << " (" << value
        << ")\n";
    return kExitSuccess;
}

int runWriteRegister(const Command& command, std::ostream& out, std::ostream& err) {
    const OpenDevice device(command.deviceId, err);
    if (!device.isOpen()) {
        return kExitFailure;
    }
    if (const int32_t status = QnWriteRegister(device.handle(), command.reg, command.value);
        status != QN_OK) {
        return reportFailure("QnWriteRegister", status, device.handle(), err);
    }
    out << "Register " << hexNumber(command.reg, 2) << " <- " << hexNumber(command.value, 2)
        << '\n';
    return kExitSuccess;
}

int runSettings(unsigned id, std::ostream& out, std::ostream& err) {
    const OpenDevice device(id, err);
    if (!device.isOpen()) {
        return kExitFailure;
    }
    QnDeviceSettings defaults{};
    defaults.size = QN_SETTINGS_SIZE;
    QnDeviceSettings current = defaults;
    if (const int32_t status = QnReadDefaultSettings(device.handle(), &defaults); status != QN_OK) {
        return reportFailure("QnReadDefaultSettings", status, device.handle(), err);
    }
    if (const int32_t status = QnReadDeviceSettings(device.handle(), &current); status != QN_OK) {
        return reportFailure("QnReadDeviceSettings", status, device.handle(), err);
    }
    out << "Default settings\n"
        << settingsText(defaults) << "\nCurrent settings\n"
        << settingsText(current);
    return kExitSuccess;
}

}  // namespace zousbdiag

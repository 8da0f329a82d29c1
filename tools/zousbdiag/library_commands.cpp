// The commands that go through the device-access library, as an application would: probing and
// enumeration, device information, the hardware error, registers and settings records.

#include <array>
#include <cstdio>

#include "include/QuintelDrv.h"
#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/settings_text.h"

namespace zousbdiag {

namespace {

// "QN_ERR_DEVICE (10)"
std::string statusName(int32_t status) {
    static constexpr std::array<const char*, 13> kNames = {"QN_OK",
                                                           "QN_ERR_FAILED",
                                                           "QN_ERR_BAD_ID",
                                                           "QN_ERR_RANGE",
                                                           "QN_ERR_BAD_SETTINGS",
                                                           "QN_ERR_NO_HANDLE",
                                                           "QN_ERR_NO_DEVICE",
                                                           "QN_ERR_BAD_ARG",
                                                           "QN_ERR_READ_ONLY",
                                                           "QN_ERR_ALREADY_OPEN",
                                                           "QN_ERR_DEVICE",
                                                           "QN_ERR_NOT_READY",
                                                           "QN_ERR_TIMEOUT"};
    const bool known = status >= 0 && static_cast<std::size_t>(status) < kNames.size();
    return std::string(known ? kNames[static_cast<std::size_t>(status)] : "unknown status") + " (" +
           std::to_string(status) + ")";
}

std::string hardwareErrorLine(QnHandle handle) {
    int32_t code = -1;
    std::array<char, 128> text{};
    if (QnGetHardwareError(handle, &code, text.data(), text.size()) != QN_OK) {
        return "Hardware error  (no text for the stored code)";
    }
    return "Hardware error  " + std::to_string(code) + ": " + text.data();
}

// Opens the device through the library for one command; closes it again when done.
class OpenDevice {
  public:
    OpenDevice(unsigned id, std::ostream& err) {
        QnLoadDriver();
        status_ = QnOpenDevice(id, &handle_);
        if (status_ == QN_ERR_NO_DEVICE) {
            err << "zousbdiag: no device with identifier " << id
                << " (see 'zousbdiag enumerate')\n";
        } else if (status_ != QN_OK) {
            err << "zousbdiag: device " << id << " does not open: " << statusName(status_);
            err << (handle_ != nullptr ? "; " + hardwareErrorLine(handle_) : std::string{}) << '\n';
        }
    }
    ~OpenDevice() {
        if (status_ == QN_OK) {
            QnCloseDevice(handle_);
        }
    }
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;

    bool isOpen() const { return status_ == QN_OK; }
    QnHandle handle() const { return handle_; }

  private:
    QnHandle handle_ = nullptr;
    int32_t status_ = QN_ERR_NO_DEVICE;
};

int reportFailure(const char* what, int32_t status, QnHandle handle, std::ostream& err) {
    err << "zousbdiag: " << what << " failed: " << statusName(status) << "; "
        << hardwareErrorLine(handle) << '\n';
    return kExitFailure;
}

}  // namespace

int runEnumerate(std::ostream& out, std::ostream& err) {
    if (const int32_t status = QnLoadDriver(); status != QN_OK) {
        err << "zousbdiag: probing failed: " << statusName(status) << '\n';
        return kExitFailure;
    }
    std::array<QnDeviceRecord, kLastDeviceId> records{};
    uint32_t count = records.size();
    if (const int32_t status = QnEnumDevices(records.data(), &count); status != QN_OK) {
        err << "zousbdiag: enumeration failed: " << statusName(status) << '\n';
        return kExitFailure;
    }
    if (count == 0) {
        out << "No devices found.\n";
        return kExitSuccess;
    }
    out << "Id  Device       Kind  Serial      Firmware  Speed  Open  Record\n";
    for (const QnDeviceRecord& record : std::span(records).first(count)) {
        char line[160];
        std::snprintf(line, sizeof line, "%-2d  %-11s  %-4d  %-10s  %-8s  %-5s  %-4s  ", record.id,
                      hubDeviceName(static_cast<unsigned>(record.id - 1)).c_str(), record.kind,
                      hexNumber(static_cast<std::uint32_t>(record.serial), 8).c_str(),
                      hexNumber(static_cast<std::uint32_t>(record.firmware), 4).c_str(),
                      record.speedCode == 20 ? "high" : "full", record.isOpen != 0 ? "yes" : "no");
        out << line << record.reserved << ' ' << record.kind << ' ' << record.id << ' '
            << record.serial << ' ' << record.firmware << ' ' << record.isOpen << ' '
            << record.speedCode << '\n';
    }
    out << count << (count == 1 ? " device" : " devices") << " found.\n";
    return kExitSuccess;
}

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

#include "tools/zousbdiag/open_device.h"

#include <array>

#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/setting_application.h"

namespace zousbdiag {

std::string statusName(std::int32_t status) {
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
    std::int32_t code = -1;
    std::array<char, 128> text{};
    if (QnGetHardwareError(handle, &code, text.data(), text.size()) != QN_OK) {
        return "Hardware error  (no text for the stored code)";
    }
    return "Hardware error  " + std::to_string(code) + ": " + text.data();
}

OpenDevice::OpenDevice(unsigned id, std::ostream& err) {
    QnLoadDriver();
    status_ = QnOpenDevice(id, &handle_);
    if (status_ == QN_ERR_NO_DEVICE) {
        err << "zousbdiag: no device with identifier " << id << " (see 'zousbdiag enumerate')\n";
    } else if (status_ != QN_OK) {
        err << "zousbdiag: device " << id << " does not open: " << statusName(status_);
        err << (handle_ != nullptr ? "; " + hardwareErrorLine(handle_) : std::string{}) << '\n';
    }
}

OpenDevice::~OpenDevice() {
    if (status_ == QN_OK && closes_) {
        QnCloseDevice(handle_);
    }
}

int reportFailure(const char* what, std::int32_t status, QnHandle handle, std::ostream& err) {
    err << "zousbdiag: " << what << " failed: " << statusName(status) << "; "
        << hardwareErrorLine(handle) << '\n';
    return kExitFailure;
}

bool readAndChangeSettings(QnHandle handle, std::span<const ParameterSetting> changes,
                           QnDeviceSettings& settings, std::ostream& err) {
    settings = QnDeviceSettings{};
    settings.size = QN_SETTINGS_SIZE;
    if (const std::int32_t status = QnReadDeviceSettings(handle, &settings); status != QN_OK) {
        reportFailure("QnReadDeviceSettings", status, handle, err);
        return false;
    }
    if (const std::string error = applySettings(handle, changes, settings); !error.empty()) {
        err << "zousbdiag: " << error << '\n';
        return false;
    }
    return true;
}

std::optional<QnDeviceSettings> changeDeviceSettings(QnHandle handle,
                                                     std::span<const ParameterSetting> changes,
                                                     std::ostream& err) {
    QnDeviceSettings settings{};
    if (!readAndChangeSettings(handle, changes, settings, err)) {
        return std::nullopt;
    }
    if (changes.empty()) {
        return settings;
    }
    if (const std::int32_t status = QnRefreshDeviceSettings(handle, &settings); status != QN_OK) {
        reportFailure("QnRefreshDeviceSettings", status, handle, err);
        return std::nullopt;
    }
    return settings;
}

}  // namespace zousbdiag

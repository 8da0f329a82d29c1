#pragma once
// A device opened through the device-access library for the length of one command, the texts of
// the library's status codes, and changing a device's settings.

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "include/QuintelDrv.h"
#include "tools/zousbdiag/parameter_names.h"

namespace zousbdiag {

// "QN_ERR_DEVICE (10)"
std::string statusName(std::int32_t status);

// "Hardware error  0: ..." of the handle.
std::string hardwareErrorLine(QnHandle handle);

// Opens the device through the library for one command; closes it again when done.
class OpenDevice {
  public:
    OpenDevice(unsigned id, std::ostream& err);
    ~OpenDevice();
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;

    bool isOpen() const { return status_ == QN_OK; }
    QnHandle handle() const { return handle_; }
    // The command ends without closing the device, as a program that exits without closing it:
    // on the shared machine its outputs keep running.
    void leaveOpen() { closes_ = false; }

  private:
    QnHandle handle_ = nullptr;
    std::int32_t status_ = QN_ERR_NO_DEVICE;
    bool closes_ = true;
};

// Tells err which call failed with which status and the hardware error; answers kExitFailure.
int reportFailure(const char* what, std::int32_t status, QnHandle handle, std::ostream& err);

// Reads the device's current settings into `settings` and makes each setting (applySettings).
// False, after telling err which call refused what, when one fails.
bool readAndChangeSettings(QnHandle handle, std::span<const ParameterSetting> changes,
                           QnDeviceSettings& settings, std::ostream& err);

// readAndChangeSettings, then QnRefreshDeviceSettings when anything changed; answers the settings
// the device now has. Nullopt after telling err when a call fails.
std::optional<QnDeviceSettings> changeDeviceSettings(QnHandle handle,
                                                     std::span<const ParameterSetting> changes,
                                                     std::ostream& err);

}  // namespace zousbdiag

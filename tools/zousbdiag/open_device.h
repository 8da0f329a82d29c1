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

  private:
    QnHandle handle_ = nullptr;
    std::int32_t status_ = QN_ERR_NO_DEVICE;
};

// Tells err which call failed with which status and the hardware error; answers kExitFailure.
int reportFailure(const char* what, std::int32_t status, QnHandle handle, std::ostream& err);

// Reads the device's current settings into `settings` and sets each parameter in order. False,
// after telling err which call refused what, when one fails.
bool readAndChangeSettings(QnHandle handle, std::span<const ParameterSetting> changes,
                           QnDeviceSettings& settings, std::ostream& err);

// The outputs a command opens: `mask` (--outputs), or else every channel a setting names (channel
// 8: all).
std::uint32_t outputsToOpen(std::optional<std::uint32_t> mask,
                            std::span<const ParameterSetting> settings);

// readAndChangeSettings, then QnRefreshDeviceSettings when anything changed. False after telling
// err when a call fails.
bool changeDeviceSettings(QnHandle handle, std::span<const ParameterSetting> changes,
                          std::ostream& err);

}  // namespace zousbdiag

// LvQnErrCode2String: the constant text of each return code.

#include <array>
#include <cstdint>
#include <utility>

#include "labview/QuintelLV.h"

namespace {

constexpr const char* kUnknownError = "Unknown error";

// Success has no text of its own: LabVIEW shows a text only when a code is not 0.
constexpr std::array<std::pair<std::int32_t, const char*>, 13> kTexts{{
    {LVQN_ERR_DRIVER, "Driver fault."},
    {LVQN_ERR_NO_DEVICE,
     "Device not found. The device ID is bad, or there are no devices connected."},
    {LVQN_ERR_INVALID_VALUE,
     "Invalid value. You tried to set a nParameter value which is out of range on the current "
     "device."},
    {LVQN_ERR_CLOSE, "The device could not be closed."},
    {LVQN_ERR_GET_PARAMETER, "The nParameter value can not be read."},
    {LVQN_ERR_SET_PARAMETER, "The nParameter value can not be set."},
    {LVQN_ERR_DEVICE_INFO, "The info nParameter can not be read."},
    {LVQN_ERR_OUTPUTS, "Failed to enable/disable device or channels outputs."},
    {LVQN_ERR_MEASURE, "Failed to measure."},
    {LVQN_ERR_ABORT, "Failed to abort measure."},
    {LVQN_ERR_TIMEOUT, "Measure timeout."},
    {LVQN_ERR_REGISTER, "Error reading hardware register."},
    {LVQN_ERR_GENERIC, "Generic error"},
}};

}  // namespace

extern "C" LVQN_API const char* LVQN_CALL LvQnErrCode2String(int32_t code) {
    for (const auto& [known, text] : kTexts) {
        if (known == code) {
            return text;
        }
    }
    return kUnknownError;
}

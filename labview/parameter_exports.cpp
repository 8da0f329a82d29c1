// LvQnGetParameter, LvQnSetParameter and LvQnSendConfiguration: the working settings copy of an
// opened device, changed and read without device traffic and sent as a whole.

#include "include/QuintelDrv.h"
#include "labview/QuintelLV.h"
#include "labview/entry_call.h"

namespace {

// Limits are unsigned in QuintelDrv; LabVIEW receives their bit pattern as I32.
int32_t readAttribute(const zo::quintellv::LvQnDeviceEntry& entry, uint32_t parameter,
                      uint32_t kind, int32_t& destination) {
    uint32_t value = 0;
    const int32_t status =
        QnGetParameterAttribute(entry.handle, &entry.settings, parameter, kind, &value);
    destination = static_cast<int32_t>(value);
    return status;
}

}  // namespace

extern "C" LVQN_API int32_t LVQN_CALL LvQnGetParameter(int32_t identifier, uint32_t channel,
                                                       uint32_t parameter, int32_t* value,
                                                       int32_t* minimum, int32_t* maximum) {
    using namespace zo::quintellv;
    const bool destinationsValid = value != nullptr && minimum != nullptr && maximum != nullptr;
    return callWithEntry(
        identifier, LVQN_ERR_GET_PARAMETER, destinationsValid, [&](LvQnDeviceEntry& entry) {
            int32_t status =
                QnGetParameter(entry.handle, &entry.settings, channel, parameter, value);
            if (status == QN_OK) {
                status = readAttribute(entry, parameter, QN_ATTR_MINIMUM, *minimum);
            }
            if (status == QN_OK) {
                status = readAttribute(entry, parameter, QN_ATTR_MAXIMUM, *maximum);
            }
            return status;
        });
}

extern "C" LVQN_API int32_t LVQN_CALL LvQnSetParameter(int32_t identifier, uint32_t channel,
                                                       uint32_t parameter, uint32_t value) {
    using namespace zo::quintellv;
    return callWithEntry(identifier, LVQN_ERR_SET_PARAMETER, [&](LvQnDeviceEntry& entry) {
        return QnSetParameter(entry.handle, &entry.settings, channel, parameter, value);
    });
}

extern "C" LVQN_API int32_t LVQN_CALL LvQnSendConfiguration(int32_t identifier) {
    using namespace zo::quintellv;
    return callWithEntry(identifier, LVQN_ERR_SET_PARAMETER, [](LvQnDeviceEntry& entry) {
        return QnRefreshDeviceSettings(entry.handle, &entry.settings);
    });
}

// LvQnGetDeviceInfo: one information value of an opened device.

#include "include/QuintelDrv.h"
#include "labview/QuintelLV.h"
#include "labview/entry_call.h"

extern "C" LVQN_API int32_t LVQN_CALL LvQnGetDeviceInfo(int32_t identifier, uint32_t type,
                                                        int32_t* value) {
    using namespace zo::quintellv;
    return callWithEntry(identifier, LVQN_ERR_DEVICE_INFO, value != nullptr,
                         [&](LvQnDeviceEntry& entry) {
                             int32_t reserved = 0;
                             return QnGetDeviceInfo(entry.handle, type, value, &reserved);
                         });
}

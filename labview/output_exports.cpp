// LvQnOpenOutputs and LvQnCloseOutputs: switching channel outputs of an opened device.

#include "include/QuintelDrv.h"
#include "labview/QuintelLV.h"
#include "labview/entry_call.h"

extern "C" LVQN_API int32_t LVQN_CALL LvQnOpenOutputs(int32_t identifier, uint32_t mask) {
    using namespace zo::quintellv;
    return callWithEntry(identifier, LVQN_ERR_OUTPUTS,
                         [&](LvQnDeviceEntry& entry) { return QnOpenOutputs(entry.handle, mask); });
}

extern "C" LVQN_API int32_t LVQN_CALL LvQnCloseOutputs(int32_t identifier, uint32_t mask) {
    using namespace zo::quintellv;
    return callWithEntry(identifier, LVQN_ERR_OUTPUTS, [&](LvQnDeviceEntry& entry) {
        return QnCloseOutputs(entry.handle, mask);
    });
}

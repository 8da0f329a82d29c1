// The program's one binder. It lives in a file of its own: a program that calls LoadDriver,
// UnloadDriver or EnumDevices gets it, and with it the library bound before main. Tests make
// binders of their own and so decide when the library is there.

#include "app/core/zoqn_helper.h"

namespace zo::quintel {

CZoqnHelper theZoqnHelper;

std::int32_t LoadDriver() {
    return theZoqnHelper.LoadDriver();
}

void UnloadDriver() {
    theZoqnHelper.UnloadDriver();
}

std::int32_t EnumDevices(QnDeviceRecord* records, std::uint32_t* count) {
    return theZoqnHelper.EnumDevices(records, count);
}

}  // namespace zo::quintel

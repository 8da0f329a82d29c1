#pragma once
// The common shape of the exports that act on an opened device: look the entry up by identifier
// (2 without calling QuintelDrv when there is none) and map any failure of QuintelDrv onto the
// export's own code.

#include <cstdint>

#include "labview/QuintelLV.h"
#include "labview/device_entries.h"

namespace zo::quintellv {

// `call` takes the entry and returns a QuintelDrv status.
template <typename Call>
std::int32_t callWithEntry(std::int32_t identifier, std::int32_t failure, Call call) {
    LvQnDeviceEntry* entry = findEntry(identifier);
    if (entry == nullptr) {
        return LVQN_ERR_NO_DEVICE;
    }
    return call(*entry) == QN_OK ? LVQN_OK : failure;
}

// The same for exports that write results: a null destination gives 100 before QuintelDrv is
// called.
template <typename Call>
std::int32_t callWithEntry(std::int32_t identifier, std::int32_t failure, bool destinationsValid,
                           Call call) {
    if (findEntry(identifier) != nullptr && !destinationsValid) {
        return LVQN_ERR_GENERIC;
    }
    return callWithEntry(identifier, failure, call);
}

}  // namespace zo::quintellv

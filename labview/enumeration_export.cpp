// LvQnEnumDevices: the identifiers of the connected devices into a LabVIEW array handle.

#include <algorithm>
#include <array>
#include <span>

#include "include/QuintelDrv.h"
#include "labview/QuintelLV.h"

extern "C" LVQN_API int32_t LVQN_CALL LvQnEnumDevices(LvQnInt32ArrayHandle devices,
                                                      int32_t* count) {
    if (devices == nullptr || *devices == nullptr || count == nullptr) {
        return LVQN_ERR_GENERIC;
    }
    std::array<QnDeviceRecord, LVQN_MAX_LISTED_DEVICES> records{};
    uint32_t found = records.size();
    if (QnEnumDevices(records.data(), &found) != QN_OK) {
        return LVQN_ERR_NO_DEVICE;
    }
    // The caller's array is never resized: at most as many identifiers as it holds, and at most
    // the ten records asked for, whatever count came back.
    LvQnInt32Array& array = **devices;
    const std::size_t capacity = static_cast<std::size_t>(std::max(array.dimSize, 0));
    const std::size_t written =
        std::min({static_cast<std::size_t>(found), records.size(), capacity});
    const std::span<int32_t> elements = std::span(array.elements).first(written);
    std::transform(records.begin(), records.begin() + written, elements.begin(),
                   [](const QnDeviceRecord& record) { return record.id; });
    array.dimSize = static_cast<int32_t>(written);
    *count = static_cast<int32_t>(std::min<uint32_t>(found, LVQN_MAX_LISTED_DEVICES));
    return LVQN_OK;
}

// LvQnOpenDevice and LvQnCloseDevice: a device of QuintelDrv gets an entry and loses it.

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "include/QuintelDrv.h"
#include "labview/QuintelLV.h"
#include "labview/device_entries.h"

namespace {

using namespace zo::quintellv;

constexpr uint32_t kEnumerationRoom = 16;

bool ensureDriverLoaded() {
    if (!driverLoaded()) {
        setDriverLoaded(QnLoadDriver() == QN_OK);
    }
    return driverLoaded();
}

// The record of the wanted device: the first one for identifier 0.
std::optional<QnDeviceRecord> enumeratedRecord(int32_t identifier) {
    std::array<QnDeviceRecord, kEnumerationRoom> records{};
    uint32_t count = records.size();
    if (QnEnumDevices(records.data(), &count) != QN_OK || count == 0) {
        return std::nullopt;
    }
    const auto listed = std::span(records).first(std::min<std::size_t>(count, records.size()));
    if (identifier == 0) {
        return listed.front();
    }
    const auto found =
        std::find_if(listed.begin(), listed.end(),
                     [&](const QnDeviceRecord& record) { return record.id == identifier; });
    return found == listed.end() ? std::nullopt : std::optional(*found);
}

// Opening a device this library already has open starts it afresh with default settings.
void closeForReopen(const QnDeviceRecord& record) {
    LvQnDeviceEntry* entry = record.isOpen != 0 ? findEntry(record.id) : nullptr;
    if (entry != nullptr) {
        QnCloseDevice(entry->handle);
        freeEntry(*entry);
    }
}

}  // namespace

extern "C" LVQN_API int32_t LVQN_CALL LvQnOpenDevice(int32_t* identifier) {
    if (identifier == nullptr) {
        return LVQN_ERR_GENERIC;
    }
    if (!ensureDriverLoaded()) {
        return LVQN_ERR_NO_DEVICE;
    }
    const std::optional<QnDeviceRecord> record = enumeratedRecord(*identifier);
    if (!record) {
        return LVQN_ERR_NO_DEVICE;
    }
    closeForReopen(*record);
    QnHandle handle = nullptr;
    if (QnOpenDevice(static_cast<uint32_t>(record->id), &handle) != QN_OK) {
        return LVQN_ERR_NO_DEVICE;
    }
    // A device without a working copy of its settings cannot be driven from here: it is closed
    // again rather than left open without an entry or with an empty copy.
    LvQnDeviceEntry* entry = takeEntry(record->id);
    if (entry != nullptr) {
        entry->handle = handle;
        entry->settings.size = QN_SETTINGS_SIZE;
        if (QnReadDeviceSettings(handle, &entry->settings) == QN_OK) {
            *identifier = record->id;
            return LVQN_OK;
        }
        freeEntry(*entry);
    }
    QnCloseDevice(handle);
    return LVQN_ERR_NO_DEVICE;
}

extern "C" LVQN_API int32_t LVQN_CALL LvQnCloseDevice(int32_t identifier) {
    LvQnDeviceEntry* entry = findEntry(identifier);
    if (entry == nullptr) {
        return LVQN_ERR_NO_DEVICE;
    }
    if (QnCloseDevice(entry->handle) != QN_OK) {
        return LVQN_ERR_CLOSE;
    }
    freeEntry(*entry);
    return LVQN_OK;
}

#include "labview/device_entries.h"

#include <algorithm>

namespace zo::quintellv {

namespace {

std::array<LvQnDeviceEntry, kEntryCount> entries;
bool loaded = false;

std::int32_t identifierOf(LvQnDeviceEntry& entry) {
    return std::atomic_ref<std::int32_t>(entry.identifier).load(std::memory_order_acquire);
}

void setIdentifier(LvQnDeviceEntry& entry, std::int32_t identifier) {
    std::atomic_ref<std::int32_t>(entry.identifier).store(identifier, std::memory_order_release);
}

}  // namespace

LvQnDeviceEntry* findEntry(std::int32_t identifier) {
    if (identifier == kFreeIdentifier) {
        return nullptr;
    }
    const auto found = std::find_if(entries.begin(), entries.end(), [&](LvQnDeviceEntry& entry) {
        return identifierOf(entry) == identifier;
    });
    return found == entries.end() ? nullptr : &*found;
}

LvQnDeviceEntry* takeEntry(std::int32_t identifier) {
    const auto free = std::find_if(entries.begin(), entries.end(), [](LvQnDeviceEntry& entry) {
        return identifierOf(entry) == kFreeIdentifier;
    });
    if (free == entries.end()) {
        return nullptr;
    }
    freeEntry(*free);
    setIdentifier(*free, identifier);
    return &*free;
}

void freeEntry(LvQnDeviceEntry& entry) {
    setIdentifier(entry, kFreeIdentifier);
    entry.handle = nullptr;
    clearReady(entry);
    entry.result = 0;
    entry.settings = QnDeviceSettings{};
}

void freeAllEntries() {
    std::for_each(entries.begin(), entries.end(), freeEntry);
}

void clearReady(LvQnDeviceEntry& entry) {
    std::atomic_ref<std::int32_t>(entry.readyCounter).store(0, std::memory_order_release);
}

void signalReady(LvQnDeviceEntry& entry) {
    std::atomic_ref<std::int32_t>(entry.readyCounter).fetch_add(1, std::memory_order_acq_rel);
}

bool isReady(LvQnDeviceEntry& entry) {
    return std::atomic_ref<std::int32_t>(entry.readyCounter).load(std::memory_order_acquire) != 0;
}

bool driverLoaded() {
    return loaded;
}

void setDriverLoaded(bool isLoaded) {
    loaded = isLoaded;
}

}  // namespace zo::quintellv

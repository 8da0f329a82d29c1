#pragma once
// The sixteen device entries of the library: per opened device its identifier, QuintelDrv handle,
// background measurement state and working settings copy. Statically allocated, not locked:
// opening and closing come from the caller's thread, while QuintelDrv's measurement worker only
// looks entries up by identifier and increments a ready counter.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "include/QuintelDrv.h"

namespace zo::quintellv {

inline constexpr std::int32_t kFreeIdentifier = -1;
inline constexpr std::size_t kEntryCount = 16;

struct LvQnDeviceEntry {
    std::int32_t identifier = kFreeIdentifier;  // accessed through atomic_ref: the worker reads it
    QnHandle handle = nullptr;
    alignas(std::atomic_ref<std::int32_t>::required_alignment) std::int32_t readyCounter = 0;
    std::int32_t result = 0;  // written by QuintelDrv's worker before it calls back
    QnDeviceSettings settings{};
};

// The open entry of this identifier, or null. A free entry never matches, whatever is asked.
LvQnDeviceEntry* findEntry(std::int32_t identifier);
// The first free entry, now holding this identifier with zeroed content; null when all are used.
LvQnDeviceEntry* takeEntry(std::int32_t identifier);
void freeEntry(LvQnDeviceEntry& entry);
void freeAllEntries();

// The measurement state, shared with QuintelDrv's worker thread.
void clearReady(LvQnDeviceEntry& entry);
void signalReady(LvQnDeviceEntry& entry);
bool isReady(LvQnDeviceEntry& entry);

// Whether QnLoadDriver has succeeded in this process.
bool driverLoaded();
void setDriverLoaded(bool loaded);

}  // namespace zo::quintellv

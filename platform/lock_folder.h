#pragma once
// Where the named locks of this machine live on Linux (platform/named_lock.h): one file per lock
// in the lock folder, ZO_LOCK_DIR when that is set and not empty, else /dev/shm. Locks of the same
// name in different folders are different locks.

#include <filesystem>

namespace zo::platform {

inline constexpr const char* kLockFolderVariable = "ZO_LOCK_DIR";

std::filesystem::path lockFolder();

}  // namespace zo::platform

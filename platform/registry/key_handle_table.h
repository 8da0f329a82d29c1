#pragma once
// The keys a process has open, found by handle. The three predefined roots are always open with
// every right; a closed or never-issued handle finds nothing.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

#include "platform/registry/key_location.h"
#include "platform/registry/registry_types.h"

namespace zo::platform::registry {

struct OpenKey {
    KeyLocation location;
    REGSAM access = 0;
};

class KeyHandleTable {
  public:
    HKEY add(OpenKey key);
    std::optional<OpenKey> find(HKEY handle) const;
    // False for a handle that is not open; closing a predefined root does nothing.
    bool close(HKEY handle);

  private:
    mutable std::mutex mutex_;
    std::map<HKEY, OpenKey> keys_;
    std::uintptr_t lastHandle_ = 0;
};

KeyHandleTable& keyHandles();

}  // namespace zo::platform::registry

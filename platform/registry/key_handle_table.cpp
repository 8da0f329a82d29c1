#include "platform/registry/key_handle_table.h"

namespace zo::platform::registry {
namespace {

std::optional<Root> predefinedRoot(HKEY handle) {
    switch (handle) {
        case HKEY_CLASSES_ROOT:
            return Root::ClassesRoot;
        case HKEY_CURRENT_USER:
            return Root::CurrentUser;
        case HKEY_LOCAL_MACHINE:
            return Root::LocalMachine;
        default:
            return std::nullopt;
    }
}

}  // namespace

HKEY KeyHandleTable::add(OpenKey key) {
    const std::scoped_lock lock(mutex_);
    const HKEY handle{++lastHandle_};
    keys_.emplace(handle, std::move(key));
    return handle;
}

std::optional<OpenKey> KeyHandleTable::find(HKEY handle) const {
    if (const auto root = predefinedRoot(handle)) {
        return OpenKey{rootLocation(*root), KEY_ALL_ACCESS};
    }
    const std::scoped_lock lock(mutex_);
    const auto found = keys_.find(handle);
    return found != keys_.end() ? std::optional(found->second) : std::nullopt;
}

bool KeyHandleTable::close(HKEY handle) {
    if (predefinedRoot(handle)) {
        return true;
    }
    const std::scoped_lock lock(mutex_);
    return keys_.erase(handle) == 1;
}

KeyHandleTable& keyHandles() {
    static KeyHandleTable table;
    return table;
}

}  // namespace zo::platform::registry

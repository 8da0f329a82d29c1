#pragma once
// Reading and changing one key where it is stored, with messages that say what went wrong. Every
// read takes the hive file as it is now; every change is one locked read-change-write of its hive.

#include <functional>
#include <string>

#include "platform/registry/key_location.h"
#include "platform/registry/key_node.h"
#include "platform/registry/outcome.h"

namespace zo::platform::registry {

// The key's full name for messages, e.g. HKEY_LOCAL_MACHINE\Software\WOW6432Node\X.
std::string describeKey(const KeyLocation& location);

// Hands the key to `visit`; ERROR_KEY_DELETED when it does not exist.
Failure readKey(const KeyLocation& location, const std::function<LSTATUS(const KeyNode&)>& visit);

// Applies `change` to the key and stores the hive when it returns ERROR_SUCCESS; ERROR_KEY_DELETED
// when the key does not exist.
Failure changeKey(const KeyLocation& location, const std::function<LSTATUS(KeyNode&)>& change);

// Creates the key and any missing keys above it; `created` tells whether it was new. An existing
// key is not written, so keys of a hive one may only read can still be "created" to open them.
Failure createKeyAt(const KeyLocation& location, bool& created);

// Removes the key; one with subkeys only when `withSubkeys` (otherwise ERROR_ACCESS_DENIED, as on
// Windows). The root of a hive is emptied instead.
Failure removeKeyAt(const KeyLocation& location, bool withSubkeys);

}  // namespace zo::platform::registry

#pragma once
// Export of a key with everything below it to .reg text, and import of .reg text, as `reg export`
// and `reg import` do. Keys in the text carry the names a user gives them (HKEY_CLASSES_ROOT\...,
// HKEY_LOCAL_MACHINE\Software\... without the view's redirection); `access` picks the view, so an
// export and an import with the same view flags put keys back where they were.

#include <string>
#include <string_view>

#include "platform/registry/outcome.h"

namespace zo::platform::registry {

// `keyName` is a full key name such as HKLM\Software\Valdra; the text names it so, with the
// root's full name, and the keys below it as they are stored.
Outcome<std::string> exportKey(std::string_view keyName, REGSAM access);

// Refuses the whole text when any part of it is damaged or names an unknown root. Each hive the
// text touches is then changed in one atomic step.
Failure importRegText(std::string_view text, REGSAM access);

}  // namespace zo::platform::registry

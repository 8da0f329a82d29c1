#include "platform/system_folder.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace zo::platform {

// ZO_SYSTEM_DIR, when set, stands in for System32 here as well, so a test can place files where
// the suite looks for system files without writing into the system.
std::filesystem::path systemFolder() {
    if (const char* configured = std::getenv(kSystemFolderVariable);
        configured != nullptr && *configured != '\0') {
        return configured;
    }
    std::wstring folder(MAX_PATH, L'\0');
    const UINT length = ::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length == 0 || length >= folder.size()) {
        return {};
    }
    folder.resize(length);
    return folder;
}

}  // namespace zo::platform

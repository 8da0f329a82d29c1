#include "platform/system_folder.h"

#include <cstdlib>

#include "host/loaded_module.h"

namespace zo::platform {

std::filesystem::path systemFolder() {
    if (const char* configured = std::getenv(kSystemFolderVariable);
        configured != nullptr && *configured != '\0') {
        return configured;
    }
    return host::folderOfModuleContaining(reinterpret_cast<const void*>(&systemFolder));
}

}  // namespace zo::platform

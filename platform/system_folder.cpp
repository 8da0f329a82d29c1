#include "platform/system_folder.h"

#include <dlfcn.h>

#include <cstdlib>

namespace zo::platform {

std::filesystem::path systemFolder() {
    if (const char* configured = std::getenv(kSystemFolderVariable);
        configured != nullptr && *configured != '\0') {
        return configured;
    }
    Dl_info info{};
    if (::dladdr(reinterpret_cast<const void*>(&systemFolder), &info) != 0 &&
        info.dli_fname != nullptr) {
        return std::filesystem::path(info.dli_fname).parent_path();
    }
    return {};
}

}  // namespace zo::platform

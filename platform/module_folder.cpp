#include "platform/module_folder.h"

#include <dlfcn.h>

namespace zo::platform {

std::filesystem::path folderOfModuleContaining(const void* address) {
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    return std::filesystem::path(info.dli_fname).parent_path();
}

}  // namespace zo::platform

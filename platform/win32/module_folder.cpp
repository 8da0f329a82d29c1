#include "platform/module_folder.h"

#include <windows.h>

#include "platform/win32/module_file.h"

namespace zo::platform {

std::filesystem::path folderOfModuleContaining(const void* address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(address), &module)) {
        return {};
    }
    return win32::moduleFile(module).parent_path();
}

}  // namespace zo::platform

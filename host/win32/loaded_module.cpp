#include "host/loaded_module.h"

#include <windows.h>

#include "host/win32/module_file.h"

namespace zo::host {

std::string sharedLibraryFileName(std::string_view name) {
    return std::string(name) + ".dll";
}

std::filesystem::path folderOfModuleContaining(const void* address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(address), &module)) {
        return {};
    }
    return win32::moduleFile(module).parent_path();
}

void LoadedModule::Unload::operator()(void* handle) const {
    ::FreeLibrary(static_cast<HMODULE>(handle));
}

std::optional<LoadedModule> LoadedModule::load(const std::filesystem::path& file) {
    HMODULE module = ::LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) {
        return std::nullopt;
    }
    return LoadedModule(module);
}

void* LoadedModule::symbol(const char* name) const {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_.get()), name));
}

}  // namespace zo::host

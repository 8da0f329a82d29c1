#include "host/loaded_module.h"

#include <dlfcn.h>

namespace zo::host {

std::string sharedLibraryFileName(std::string_view name) {
    return "lib" + std::string(name) + ".so";
}

std::filesystem::path folderOfModuleContaining(const void* address) {
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    return std::filesystem::path(info.dli_fname).parent_path();
}

void LoadedModule::Unload::operator()(void* handle) const {
    ::dlclose(handle);
}

// The run path ($ORIGIN) of each of the suite's modules points its dependencies to its own folder.
std::optional<LoadedModule> LoadedModule::load(const std::filesystem::path& file) {
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return std::nullopt;
    }
    return LoadedModule(handle);
}

void* LoadedModule::symbol(const char* name) const {
    return ::dlsym(handle_.get(), name);
}

}  // namespace zo::host

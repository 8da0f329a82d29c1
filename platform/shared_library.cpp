#include "platform/shared_library.h"

#include <dlfcn.h>

#include "platform/library_search.h"

namespace zo::platform {

std::string sharedLibraryFileName(std::string_view name) {
    return "lib" + std::string(name) + ".so";
}

void SharedLibrary::Unload::operator()(void* handle) const {
    ::dlclose(handle);
}

std::optional<SharedLibrary> SharedLibrary::load(const std::string& fileName) {
    if (fileName.empty()) {
        return std::nullopt;
    }
    for (const std::filesystem::path& candidate : librarySearchCandidates(fileName)) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(candidate, error)) {
            continue;
        }
        if (void* handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL); handle != nullptr) {
            return SharedLibrary(handle);
        }
    }
    return std::nullopt;
}

void* SharedLibrary::symbol(const char* name) const {
    return ::dlsym(handle_.get(), name);
}

}  // namespace zo::platform

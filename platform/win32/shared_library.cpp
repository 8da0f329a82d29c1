#include "platform/shared_library.h"

#include <windows.h>

#include "platform/library_search.h"

namespace zo::platform {

std::string sharedLibraryFileName(std::string_view name) {
    return std::string(name) + ".dll";
}

void SharedLibrary::Unload::operator()(void* handle) const {
    ::FreeLibrary(static_cast<HMODULE>(handle));
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
        // The library's own dependencies are looked for beside it first, as for a program.
        if (HMODULE module =
                ::LoadLibraryExW(candidate.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
            module != nullptr) {
            return SharedLibrary(module);
        }
    }
    return std::nullopt;
}

void* SharedLibrary::symbol(const char* name) const {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_.get()), name));
}

}  // namespace zo::platform

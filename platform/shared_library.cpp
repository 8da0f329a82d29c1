#include "platform/shared_library.h"

#include "platform/library_search.h"

namespace zo::platform {

std::optional<SharedLibrary> SharedLibrary::load(const std::string& fileName) {
    if (fileName.empty()) {
        return std::nullopt;
    }
    for (const std::filesystem::path& candidate : librarySearchCandidates(fileName)) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(candidate, error)) {
            continue;
        }
        if (std::optional<host::LoadedModule> module = host::LoadedModule::load(candidate)) {
            return SharedLibrary(std::move(*module));
        }
    }
    return std::nullopt;
}

}  // namespace zo::platform

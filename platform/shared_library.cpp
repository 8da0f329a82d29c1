#include "platform/shared_library.h"

#include <dlfcn.h>

#include <vector>

#include "platform/program_file.h"
#include "platform/system_folder.h"

namespace zo::platform {
namespace {

std::vector<std::filesystem::path> candidatesFor(const std::string& fileName) {
    const std::filesystem::path name(fileName);
    if (name.has_parent_path()) {
        return {name};
    }
    std::vector<std::filesystem::path> candidates;
    if (const std::filesystem::path program = runningProgramFile(); !program.empty()) {
        candidates.push_back(program.parent_path() / name);
    }
    if (const std::filesystem::path system = systemFolder(); !system.empty()) {
        candidates.push_back(system / name);
    }
    return candidates;
}

}  // namespace

void SharedLibrary::Unload::operator()(void* handle) const {
    ::dlclose(handle);
}

std::optional<SharedLibrary> SharedLibrary::load(const std::string& fileName) {
    if (fileName.empty()) {
        return std::nullopt;
    }
    for (const std::filesystem::path& candidate : candidatesFor(fileName)) {
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

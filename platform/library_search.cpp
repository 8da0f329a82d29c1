#include "platform/library_search.h"

#include "platform/program_file.h"
#include "platform/system_folder.h"

namespace zo::platform {

std::vector<std::filesystem::path> librarySearchCandidates(const std::string& fileName) {
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

}  // namespace zo::platform

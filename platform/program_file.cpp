#include "platform/program_file.h"

namespace zo::platform {

std::filesystem::path runningProgramFile() {
    std::error_code error;
    std::filesystem::path file = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path{} : file;
}

}  // namespace zo::platform

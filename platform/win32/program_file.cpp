#include "platform/program_file.h"

#include "platform/win32/module_file.h"

namespace zo::platform {

std::filesystem::path runningProgramFile() {
    return win32::moduleFile(nullptr);
}

}  // namespace zo::platform

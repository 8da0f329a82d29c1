#include "platform/program_file.h"

#include "host/win32/module_file.h"

namespace zo::platform {

std::filesystem::path runningProgramFile() {
    return host::win32::moduleFile(nullptr);
}

}  // namespace zo::platform

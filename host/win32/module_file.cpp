#include "host/win32/module_file.h"

#include <string>

namespace zo::host::win32 {

std::filesystem::path moduleFile(HMODULE module) {
    // Long paths need more than MAX_PATH; the system cuts the name when the buffer is too small.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::wstring name(size, L'\0');
        const DWORD length = ::GetModuleFileNameW(module, name.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            name.resize(length);
            return name;
        }
    }
    return {};
}

}  // namespace zo::host::win32

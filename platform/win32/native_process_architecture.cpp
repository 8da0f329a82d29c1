#include "platform/native_process_architecture.h"

#include <windows.h>

namespace zo::platform {

// IsWow64Process is looked up at run time: systems that predate it have no emulation either.
bool runsUnder32BitEmulation() noexcept {
    using IsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32");
    if (kernel == nullptr) {
        return false;
    }
    const auto query = reinterpret_cast<IsWow64Process>(
        reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "IsWow64Process")));
    BOOL emulated = FALSE;
    return query != nullptr && query(::GetCurrentProcess(), &emulated) && emulated;
}

}  // namespace zo::platform

#include "platform/environment_strings.h"

#include <windows.h>

namespace zo::platform {

std::optional<std::string> environmentVariable(std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    const std::string variable(name);
    std::string value(64, '\0');
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length = ::GetEnvironmentVariableA(variable.c_str(), value.data(),
                                                       static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return std::nullopt;
            }
            return std::string{};
        }
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);  // the size needed, with the terminating zero
    }
}

std::string expandEnvironmentStrings(std::string_view text) {
    const std::string source(text);
    std::string result(source.size() + 64, '\0');
    for (;;) {
        const DWORD needed = ::ExpandEnvironmentStringsA(source.c_str(), result.data(),
                                                         static_cast<DWORD>(result.size()));
        if (needed == 0) {
            return source;
        }
        if (needed <= result.size()) {
            result.resize(needed - 1);  // without the terminating zero
            return result;
        }
        result.resize(needed);
    }
}

}  // namespace zo::platform

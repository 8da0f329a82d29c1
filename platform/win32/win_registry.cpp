// The registry functions over the Windows registry itself: each forwards to its A function of
// advapi32 with the reserved, class and security arguments left out.

#include "platform/registry/win_registry.h"

#include <windows.h>

// The suite's functions carry the names that windows.h turns into macros for its A and W forms.
#undef RegOpenKeyEx
#undef RegCreateKeyEx
#undef RegQueryValueEx
#undef RegSetValueEx
#undef RegDeleteValue
#undef RegDeleteKey
#undef RegDeleteTree
#undef RegEnumKeyEx
#undef RegEnumValue

namespace zo::platform::registry {

namespace {

// The predefined roots are 32-bit values that the system's HKEY type sign-extends on 64-bit
// Windows; every other handle is the system's own value.
::HKEY systemKey(HKEY key) {
    const auto value = static_cast<std::uintptr_t>(key);
    if (value >= 0x80000000u && value <= 0x800000FFu) {
        return reinterpret_cast<::HKEY>(static_cast<std::intptr_t>(
            static_cast<std::int32_t>(static_cast<std::uint32_t>(value))));
    }
    return reinterpret_cast<::HKEY>(value);
}

// The suite's DWORD is std::uint32_t, the system's unsigned long: the same 32 bits.
static_assert(sizeof(DWORD) == sizeof(::DWORD));
::DWORD* systemDword(DWORD* number) {
    return reinterpret_cast<::DWORD*>(number);
}

HKEY suiteKey(::HKEY key) {
    return static_cast<HKEY>(reinterpret_cast<std::uintptr_t>(key));
}

}  // namespace

LSTATUS RegOpenKeyEx(HKEY key, const char* subKey, REGSAM access, HKEY* result) noexcept {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    ::HKEY opened = nullptr;
    const LSTATUS status = ::RegOpenKeyExA(systemKey(key), subKey, 0, access, &opened);
    if (status == ERROR_SUCCESS) {
        *result = suiteKey(opened);
    }
    return status;
}

LSTATUS RegCreateKeyEx(HKEY key, const char* subKey, REGSAM access, HKEY* result,
                       DWORD* disposition) noexcept {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    ::HKEY created = nullptr;
    const LSTATUS status =
        ::RegCreateKeyExA(systemKey(key), subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                          nullptr, &created, systemDword(disposition));
    if (status == ERROR_SUCCESS) {
        *result = suiteKey(created);
    }
    return status;
}

LSTATUS RegCloseKey(HKEY key) noexcept {
    return ::RegCloseKey(systemKey(key));
}

LSTATUS RegQueryValueEx(HKEY key, const char* valueName, DWORD* type, std::uint8_t* data,
                        DWORD* dataSize) noexcept {
    return ::RegQueryValueExA(systemKey(key), valueName, nullptr, systemDword(type), data,
                              systemDword(dataSize));
}

LSTATUS RegSetValueEx(HKEY key, const char* valueName, DWORD type, const std::uint8_t* data,
                      DWORD dataSize) noexcept {
    return ::RegSetValueExA(systemKey(key), valueName, 0, type, data, dataSize);
}

LSTATUS RegDeleteValue(HKEY key, const char* valueName) noexcept {
    return ::RegDeleteValueA(systemKey(key), valueName);
}

LSTATUS RegDeleteKey(HKEY key, const char* subKey) noexcept {
    return ::RegDeleteKeyA(systemKey(key), subKey != nullptr ? subKey : "");
}

LSTATUS RegDeleteTree(HKEY key, const char* subKey) noexcept {
    return ::RegDeleteTreeA(systemKey(key),
                            subKey != nullptr && *subKey != '\0' ? subKey : nullptr);
}

LSTATUS RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLength) noexcept {
    return ::RegEnumKeyExA(systemKey(key), index, name, systemDword(nameLength), nullptr, nullptr,
                           nullptr, nullptr);
}

LSTATUS RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* type,
                     std::uint8_t* data, DWORD* dataSize) noexcept {
    return ::RegEnumValueA(systemKey(key), index, name, systemDword(nameLength), nullptr,
                           systemDword(type), data, systemDword(dataSize));
}

}  // namespace zo::platform::registry

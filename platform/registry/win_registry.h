#pragma once
// The registry functions of Windows that the suite calls, with their names, statuses and buffer
// rules: on Linux over the stand-in's hive files, on Windows over the system's registry
// (win32/win_registry.cpp). Texts are narrow strings (UTF-8 on Linux, the ANSI code page on
// Windows). The argument lists
// are the Windows ones without the reserved, class and security arguments. Nothing here throws or
// logs; every function returns a Windows status:
//   ERROR_SUCCESS; ERROR_FILE_NOT_FOUND (no such key or value); ERROR_INVALID_HANDLE;
//   ERROR_INVALID_PARAMETER (bad name, missing pointer); ERROR_ACCESS_DENIED (the handle lacks the
//   right, the hive is not writable, or a key with subkeys for RegDeleteKey); ERROR_MORE_DATA (a
//   buffer too small: the needed size is reported and the buffer left as it was);
//   ERROR_NO_MORE_ITEMS (enumeration past the end); ERROR_KEY_DELETED (the open key is gone);
//   ERROR_REGISTRY_CORRUPT (the hive file is damaged and is left untouched); ERROR_CANTREAD,
//   ERROR_CANTWRITE, ERROR_OUTOFMEMORY.

#include <cstdint>

#include "platform/registry/registry_types.h"

namespace zo::platform::registry {

// Opens an existing key; `subKey` null or empty opens another handle to `key` itself.
LSTATUS RegOpenKeyEx(HKEY key, const char* subKey, REGSAM access, HKEY* result) noexcept;
// Opens the key, creating it and the keys above it when missing; `disposition` may be null.
LSTATUS RegCreateKeyEx(HKEY key, const char* subKey, REGSAM access, HKEY* result,
                       DWORD* disposition) noexcept;
LSTATUS RegCloseKey(HKEY key) noexcept;

// `type` and `data` may be null. With `data` null, *dataSize receives the value's size.
LSTATUS RegQueryValueEx(HKEY key, const char* valueName, DWORD* type, std::uint8_t* data,
                        DWORD* dataSize) noexcept;
// Stores `dataSize` bytes as given; string values should include their terminating zero.
LSTATUS RegSetValueEx(HKEY key, const char* valueName, DWORD type, const std::uint8_t* data,
                      DWORD dataSize) noexcept;
LSTATUS RegDeleteValue(HKEY key, const char* valueName) noexcept;

// Deletes a key that has no subkeys.
LSTATUS RegDeleteKey(HKEY key, const char* subKey) noexcept;
// Deletes the key with everything below it; `subKey` null or empty empties `key` instead.
LSTATUS RegDeleteTree(HKEY key, const char* subKey) noexcept;

// `nameLength`: in, the buffer's size in characters with room for the terminating zero; out, the
// name's length without it. Subkeys and values enumerate in name order, without regard to case.
LSTATUS RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLength) noexcept;
LSTATUS RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* type,
                     std::uint8_t* data, DWORD* dataSize) noexcept;

}  // namespace zo::platform::registry

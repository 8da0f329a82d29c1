#include "platform/registry/win_registry.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <span>
#include <string_view>

#include "platform/registry/key_access.h"

namespace zo::platform::registry {
namespace {

// Runs a body that may throw (allocation) and turns what it throws into a status.
template <typename Body>
LSTATUS guarded(Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    } catch (...) {
        return ERROR_INVALID_PARAMETER;
    }
}

bool isValidValueName(std::string_view name) {
    return name.size() <= kMaxValueNameLength &&
           std::ranges::none_of(name, [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// The open key a handle stands for, when it has all of `rights`.
LSTATUS openKeyOf(HKEY handle, REGSAM rights, OpenKey& key) {
    const auto found = keyHandles().find(handle);
    if (!found) {
        return ERROR_INVALID_HANDLE;
    }
    if ((found->access & rights) != rights) {
        return ERROR_ACCESS_DENIED;
    }
    key = *found;
    return ERROR_SUCCESS;
}

// Where `subKey` below the open key `handle` is stored.
LSTATUS locateSubkey(HKEY handle, const char* subKey, REGSAM rights, REGSAM access,
                     KeyLocation& location) {
    OpenKey parent;
    if (const auto status = openKeyOf(handle, rights, parent); status != ERROR_SUCCESS) {
        return status;
    }
    const auto names = splitKeyPath(subKey != nullptr ? subKey : "");
    if (!names) {
        return ERROR_INVALID_PARAMETER;
    }
    if (names->empty()) {
        location = parent.location;
        return ERROR_SUCCESS;
    }
    auto located = locateKey(parent.location, *names, access);
    if (!located) {
        return ERROR_INVALID_PARAMETER;  // deeper than a hive holds, so it cannot exist either
    }
    location = std::move(*located);
    return ERROR_SUCCESS;
}

// Copies a value's data under the Windows rules for a caller's buffer.
LSTATUS copyData(const RegistryValue& value, DWORD* type, std::uint8_t* data, DWORD* dataSize) {
    if (data != nullptr && dataSize == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (type != nullptr) {
        *type = value.type;
    }
    const auto needed = static_cast<DWORD>(value.data.size());
    if (data != nullptr) {
        if (*dataSize < needed) {
            *dataSize = needed;
            return ERROR_MORE_DATA;
        }
        std::ranges::copy(value.data, data);
    }
    if (dataSize != nullptr) {
        *dataSize = needed;
    }
    return ERROR_SUCCESS;
}

LSTATUS copyName(std::string_view name, char* buffer, DWORD* length) {
    if (buffer == nullptr || length == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (*length <= name.size()) {
        return ERROR_MORE_DATA;
    }
    std::ranges::copy(name, buffer);
    buffer[name.size()] = '\0';
    *length = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

template <typename Map>
auto entryAt(const Map& map, DWORD index) {
    return index < map.size() ? std::next(map.begin(), index) : map.end();
}

}  // namespace

LSTATUS RegOpenKeyEx(HKEY key, const char* subKey, REGSAM access, HKEY* result) noexcept {
    return guarded([&] {
        KeyLocation location;
        if (result == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        if (auto status = locateSubkey(key, subKey, 0, access, location); status != ERROR_SUCCESS) {
            return status;
        }
        auto status = readKey(location, [](const KeyNode&) { return ERROR_SUCCESS; }).status;
        if (status == ERROR_SUCCESS) {
            *result = keyHandles().add({std::move(location), access});
        }
        return status == ERROR_KEY_DELETED ? ERROR_FILE_NOT_FOUND : status;
    });
}

LSTATUS RegCreateKeyEx(HKEY key, const char* subKey, REGSAM access, HKEY* result,
                       DWORD* disposition) noexcept {
    return guarded([&] {
        KeyLocation location;
        if (result == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        if (auto status = locateSubkey(key, subKey, KEY_CREATE_SUB_KEY, access, location);
            status != ERROR_SUCCESS) {
            return status;
        }
        bool created = false;
        const auto status = createKeyAt(location, created).status;
        if (status == ERROR_SUCCESS) {
            *result = keyHandles().add({std::move(location), access});
            if (disposition != nullptr) {
                *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
            }
        }
        return status;
    });
}

LSTATUS RegCloseKey(HKEY key) noexcept {
    return guarded([&] { return keyHandles().close(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; });
}

LSTATUS RegQueryValueEx(HKEY key, const char* valueName, DWORD* type, std::uint8_t* data,
                        DWORD* dataSize) noexcept {
    return guarded([&] {
        OpenKey open;
        if (auto status = openKeyOf(key, KEY_QUERY_VALUE, open); status != ERROR_SUCCESS) {
            return status;
        }
        const std::string_view name = valueName != nullptr ? valueName : "";
        return readKey(open.location,
                       [&](const KeyNode& node) {
                           const auto found = node.values.find(name);
                           return found == node.values.end()
                                      ? ERROR_FILE_NOT_FOUND
                                      : copyData(found->second, type, data, dataSize);
                       })
            .status;
    });
}

LSTATUS RegSetValueEx(HKEY key, const char* valueName, DWORD type, const std::uint8_t* data,
                      DWORD dataSize) noexcept {
    return guarded([&] {
        OpenKey open;
        if (auto status = openKeyOf(key, KEY_SET_VALUE, open); status != ERROR_SUCCESS) {
            return status;
        }
        const std::string name = valueName != nullptr ? valueName : "";
        if (!isValidValueName(name) || (data == nullptr && dataSize != 0) ||
            dataSize > kMaxValueDataSize) {
            return ERROR_INVALID_PARAMETER;
        }
        RegistryValue value{type, {}};
        if (data != nullptr) {
            const std::span bytes(data, dataSize);
            value.data.assign(bytes.begin(), bytes.end());
        }
        return changeKey(open.location,
                         [&](KeyNode& node) {
                             node.values.insert_or_assign(name, std::move(value));
                             return ERROR_SUCCESS;
                         })
            .status;
    });
}

LSTATUS RegDeleteValue(HKEY key, const char* valueName) noexcept {
    return guarded([&] {
        OpenKey open;
        if (auto status = openKeyOf(key, KEY_SET_VALUE, open); status != ERROR_SUCCESS) {
            return status;
        }
        const std::string_view name = valueName != nullptr ? valueName : "";
        return changeKey(open.location,
                         [&](KeyNode& node) {
                             const auto found = node.values.find(name);
                             if (found == node.values.end()) {
                                 return ERROR_FILE_NOT_FOUND;
                             }
                             node.values.erase(found);
                             return ERROR_SUCCESS;
                         })
            .status;
    });
}

LSTATUS RegDeleteKey(HKEY key, const char* subKey) noexcept {
    return guarded([&] {
        KeyLocation location;
        OpenKey parent;
        if (subKey == nullptr || *subKey == '\0') {
            return ERROR_INVALID_PARAMETER;
        }
        if (auto status = openKeyOf(key, 0, parent); status != ERROR_SUCCESS) {
            return status;
        }
        if (auto status = locateSubkey(key, subKey, 0, parent.access, location);
            status != ERROR_SUCCESS) {
            return status;
        }
        const auto status = removeKeyAt(location, false).status;
        return status == ERROR_KEY_DELETED ? ERROR_FILE_NOT_FOUND : status;
    });
}

LSTATUS RegDeleteTree(HKEY key, const char* subKey) noexcept {
    return guarded([&] {
        KeyLocation location;
        OpenKey parent;
        if (auto status = openKeyOf(key, 0, parent); status != ERROR_SUCCESS) {
            return status;
        }
        if (auto status = locateSubkey(key, subKey, 0, parent.access, location);
            status != ERROR_SUCCESS) {
            return status;
        }
        const bool emptyOnly = subKey == nullptr || *subKey == '\0';
        const auto status = emptyOnly ? changeKey(location,
                                                  [](KeyNode& node) {
                                                      node = KeyNode{};
                                                      return ERROR_SUCCESS;
                                                  })
                                            .status
                                      : removeKeyAt(location, true).status;
        return status == ERROR_KEY_DELETED ? ERROR_FILE_NOT_FOUND : status;
    });
}

LSTATUS RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLength) noexcept {
    return guarded([&] {
        OpenKey open;
        if (auto status = openKeyOf(key, KEY_ENUMERATE_SUB_KEYS, open); status != ERROR_SUCCESS) {
            return status;
        }
        return readKey(open.location,
                       [&](const KeyNode& node) {
                           const auto entry = entryAt(node.subkeys, index);
                           return entry == node.subkeys.end()
                                      ? ERROR_NO_MORE_ITEMS
                                      : copyName(entry->first, name, nameLength);
                       })
            .status;
    });
}

LSTATUS RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* type,
                     std::uint8_t* data, DWORD* dataSize) noexcept {
    return guarded([&] {
        OpenKey open;
        if (auto status = openKeyOf(key, KEY_QUERY_VALUE, open); status != ERROR_SUCCESS) {
            return status;
        }
        return readKey(open.location,
                       [&](const KeyNode& node) {
                           const auto entry = entryAt(node.values, index);
                           if (entry == node.values.end()) {
                               return ERROR_NO_MORE_ITEMS;
                           }
                           const auto status = copyName(entry->first, name, nameLength);
                           return status != ERROR_SUCCESS
                                      ? status
                                      : copyData(entry->second, type, data, dataSize);
                       })
            .status;
    });
}

}  // namespace zo::platform::registry

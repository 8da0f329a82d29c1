#include "app/core/registry_key.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace zo::quintel {

namespace reg = platform::registry;

std::optional<RegistryKey> RegistryKey::open(reg::HKEY root, const char* path, reg::REGSAM access) {
    reg::HKEY key{};
    if (reg::RegOpenKeyEx(root, path, access, &key) != reg::ERROR_SUCCESS) {
        return std::nullopt;
    }
    return RegistryKey(key);
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, {})) {}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        if (key_) {
            reg::RegCloseKey(*key_);
        }
        key_ = std::exchange(other.key_, {});
    }
    return *this;
}

RegistryKey::~RegistryKey() {
    if (key_) {
        reg::RegCloseKey(*key_);
    }
}

std::optional<std::size_t> RegistryKey::query(const char* name, reg::DWORD* type,
                                              std::span<std::byte> into) const {
    auto size = static_cast<reg::DWORD>(into.size());
    if (reg::RegQueryValueEx(*key_, name, type, reinterpret_cast<std::uint8_t*>(into.data()),
                             &size) != reg::ERROR_SUCCESS) {
        return std::nullopt;
    }
    return size;
}

std::optional<std::uint32_t> RegistryKey::readDword(const char* name) const {
    std::uint32_t value = 0;
    reg::DWORD type = reg::REG_NONE;
    const auto size = query(name, &type, std::as_writable_bytes(std::span(&value, 1)));
    if (!size || *size != sizeof value || type != reg::REG_DWORD) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> RegistryKey::readString(const char* name, std::size_t maxBytes) const {
    std::vector<char> text(maxBytes);
    reg::DWORD type = reg::REG_NONE;
    const auto size = query(name, &type, std::as_writable_bytes(std::span(text)));
    if (!size || type != reg::REG_SZ) {
        return std::nullopt;
    }
    const auto end =
        std::find(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(*size), '\0');
    return std::string(text.begin(), end);
}

std::optional<std::size_t> RegistryKey::readBytes(const char* name,
                                                  std::span<std::byte> into) const {
    return query(name, nullptr, into);
}

void RegistryKey::writeDword(const char* name, std::uint32_t value) const {
    reg::RegSetValueEx(*key_, name, reg::REG_DWORD, reinterpret_cast<const std::uint8_t*>(&value),
                       sizeof value);
}

void RegistryKey::writeBinary(const char* name, std::span<const std::byte> bytes) const {
    reg::RegSetValueEx(*key_, name, reg::REG_BINARY,
                       reinterpret_cast<const std::uint8_t*>(bytes.data()),
                       static_cast<reg::DWORD>(bytes.size()));
}

}  // namespace zo::quintel

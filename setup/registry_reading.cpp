#include "setup/registry_reading.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "setup/caller_buffer.h"

namespace zo::setup {

std::optional<OpenedKey> OpenedKey::open(reg::HKEY root, const char* path, reg::REGSAM access) {
    reg::HKEY key{};
    if (reg::RegOpenKeyEx(root, path, access, &key) != reg::ERROR_SUCCESS) {
        return std::nullopt;
    }
    return OpenedKey(key);
}

OpenedKey::OpenedKey(OpenedKey&& other) noexcept
    : key_(other.key_), owned_(std::exchange(other.owned_, false)) {}

OpenedKey::~OpenedKey() {
    if (owned_) {
        reg::RegCloseKey(key_);
    }
}

std::optional<std::string> readRegistryText(reg::HKEY root, const char* path, const char* valueName,
                                            reg::REGSAM access, reg::DWORD bufferSize) {
    const auto key = OpenedKey::open(root, path, access);
    if (!key) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> buffer(bufferSize);
    reg::DWORD size = bufferSize;
    reg::DWORD type = reg::REG_NONE;
    if (reg::RegQueryValueEx(key->handle(), valueName, &type, buffer.data(), &size) !=
            reg::ERROR_SUCCESS ||
        (type != reg::REG_SZ && type != reg::REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    const auto end = std::find(buffer.begin(), buffer.begin() + size, std::uint8_t{0});
    std::string text(buffer.begin(), end);
    if (text.size() > kMaxTextLength) {
        return std::nullopt;
    }
    return text;
}

bool hasReadableValue(reg::HKEY root, const char* path, const char* valueName,
                      reg::DWORD bufferSize) {
    const auto key = OpenedKey::open(root, path, reg::KEY_READ);
    std::vector<std::uint8_t> buffer(bufferSize);
    reg::DWORD size = bufferSize;
    return key && reg::RegQueryValueEx(key->handle(), valueName, nullptr, buffer.data(), &size) ==
                      reg::ERROR_SUCCESS;
}

}  // namespace zo::setup

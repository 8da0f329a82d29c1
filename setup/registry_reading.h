#pragma once
// The library's registry reads: an open key that closes itself, and texts read the way the
// library reads them, into a buffer of 260 bytes (or a smaller one where an export says so).

#include <optional>
#include <string>

#include "platform/registry/win_registry.h"

namespace zo::setup {

namespace reg = zo::platform::registry;

inline constexpr reg::DWORD kRegistryBufferSize = 260;

class OpenedKey {
  public:
    static std::optional<OpenedKey> open(reg::HKEY root, const char* path, reg::REGSAM access);
    OpenedKey(OpenedKey&& other) noexcept;
    OpenedKey& operator=(OpenedKey&&) = delete;
    OpenedKey(const OpenedKey&) = delete;
    ~OpenedKey();

    reg::HKEY handle() const { return key_; }

  private:
    explicit OpenedKey(reg::HKEY key) : key_(key) {}
    reg::HKEY key_;
    bool owned_ = true;
};

// The text of a string value (REG_SZ or REG_EXPAND_SZ) up to its first zero; none when the key
// or value is missing, is not a string, does not fit `bufferSize` bytes, or is longer than 259
// characters. `valueName` null or empty reads the key's default value.
std::optional<std::string> readRegistryText(reg::HKEY root, const char* path, const char* valueName,
                                            reg::REGSAM access,
                                            reg::DWORD bufferSize = kRegistryBufferSize);

// Whether the value exists and fits `bufferSize` bytes, whatever its type.
bool hasReadableValue(reg::HKEY root, const char* path, const char* valueName,
                      reg::DWORD bufferSize);

}  // namespace zo::setup

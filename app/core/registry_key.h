#pragma once
// An open registry key of the program's settings, closed when the object goes, with the reads
// and writes the program makes. A read that fails (no such value, another type, larger than the
// room given) leaves its result empty; a write that fails is silent, as the program never reports
// registry errors.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/registry/win_registry.h"

namespace zo::quintel {

class RegistryKey {
  public:
    // Opens an existing key; none when it does not open.
    static std::optional<RegistryKey> open(platform::registry::HKEY root, const char* path,
                                           platform::registry::REGSAM access);

    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();

    // A REG_DWORD of exactly four bytes.
    std::optional<std::uint32_t> readDword(const char* name) const;
    // A REG_SZ of at most `maxBytes` bytes with its terminating zero; the text ends at the first
    // zero.
    std::optional<std::string> readString(const char* name, std::size_t maxBytes) const;
    // Any value of at most `into.size()` bytes, copied over the start of `into`; the number of
    // bytes copied. A larger value leaves `into` as it was.
    std::optional<std::size_t> readBytes(const char* name, std::span<std::byte> into) const;

    void writeDword(const char* name, std::uint32_t value) const;
    void writeBinary(const char* name, std::span<const std::byte> bytes) const;

  private:
    explicit RegistryKey(platform::registry::HKEY key) : key_(key) {}
    std::optional<std::size_t> query(const char* name, platform::registry::DWORD* type,
                                     std::span<std::byte> into) const;

    std::optional<platform::registry::HKEY> key_;
};

}  // namespace zo::quintel

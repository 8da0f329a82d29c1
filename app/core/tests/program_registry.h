#pragma once
// Test support: a registry of the test's own (both hives in a temporary folder) with the program's
// two keys at hand, and direct reads and writes of their values as the installer or a user with
// the reg tool would make them.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/core/settings_keys.h"
#include "platform/registry/win_registry.h"
#include "platform/tests/temporary_registry.h"

namespace zo::quintel::testing {

namespace reg = platform::registry;

struct StoredValue {
    reg::DWORD type = reg::REG_NONE;
    std::vector<std::uint8_t> bytes;
};

class ProgramRegistry {
  public:
    static constexpr reg::HKEY kUser = reg::HKEY_CURRENT_USER;
    static constexpr reg::HKEY kMachine = reg::HKEY_LOCAL_MACHINE;

    static const char* keyOf(reg::HKEY root) {
        return root == kUser ? kUserSettingsKey : kMachineSettingsKey;
    }

    void set(reg::HKEY root, const char* name, reg::DWORD type,
             std::span<const std::uint8_t> bytes) {
        reg::HKEY key{};
        ASSERT_EQ(reg::RegCreateKeyEx(root, keyOf(root), reg::KEY_ALL_ACCESS, &key, nullptr),
                  reg::ERROR_SUCCESS);
        EXPECT_EQ(reg::RegSetValueEx(key, name, type, bytes.data(),
                                     static_cast<reg::DWORD>(bytes.size())),
                  reg::ERROR_SUCCESS);
        reg::RegCloseKey(key);
    }
    void setDword(reg::HKEY root, const char* name, std::uint32_t value) {
        set(root, name, reg::REG_DWORD,
            std::span(reinterpret_cast<const std::uint8_t*>(&value), sizeof value));
    }
    void setString(reg::HKEY root, const char* name, const std::string& text) {
        set(root, name, reg::REG_SZ,
            std::span(reinterpret_cast<const std::uint8_t*>(text.c_str()), text.size() + 1));
    }
    template <typename Record>
    void setBinary(reg::HKEY root, const char* name, const Record& record,
                   std::size_t size = sizeof(Record)) {
        set(root, name, reg::REG_BINARY,
            std::span(reinterpret_cast<const std::uint8_t*>(&record), size));
    }
    void createKey(reg::HKEY root) {
        reg::HKEY key{};
        ASSERT_EQ(reg::RegCreateKeyEx(root, keyOf(root), reg::KEY_ALL_ACCESS, &key, nullptr),
                  reg::ERROR_SUCCESS);
        reg::RegCloseKey(key);
    }

    std::optional<StoredValue> get(reg::HKEY root, const char* name) const {
        reg::HKEY key{};
        if (reg::RegOpenKeyEx(root, keyOf(root), reg::KEY_READ, &key) != reg::ERROR_SUCCESS) {
            return std::nullopt;
        }
        StoredValue value;
        reg::DWORD size = 0;
        std::optional<StoredValue> result;
        if (reg::RegQueryValueEx(key, name, &value.type, nullptr, &size) == reg::ERROR_SUCCESS) {
            value.bytes.resize(size);
            if (reg::RegQueryValueEx(key, name, &value.type, value.bytes.data(), &size) ==
                reg::ERROR_SUCCESS) {
                result = value;
            }
        }
        reg::RegCloseKey(key);
        return result;
    }

  private:
    platform::testing::TemporaryRegistry registry_;
};

}  // namespace zo::quintel::testing

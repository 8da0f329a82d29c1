// A hive file stays readable: a write that would push it past 16 MiB, or a key that would lie
// deeper than 512 levels (below an opened key, or moved into the 32-bit view), is refused and
// leaves the file as it was.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry/reg_document.h"
#include "platform/registry/reg_exchange.h"
#include "platform/registry/win_registry.h"
#include "platform/tests/temporary_registry.h"

namespace zo::platform::registry {
namespace {

using testing::TemporaryRegistry;

// "k\k\...\k", `levels` names.
std::string nested(std::size_t levels) {
    std::string path = "k";
    for (std::size_t level = 1; level < levels; ++level) {
        path += "\\k";
    }
    return path;
}

class HiveLimits : public ::testing::Test {
  protected:
    // The user hive still reads, and still takes a change.
    static void expectUsable() {
        HKEY key{};
        ASSERT_EQ(
            RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Check", KEY_ALL_ACCESS, &key, nullptr),
            ERROR_SUCCESS);
        const std::uint8_t byte = 1;
        EXPECT_EQ(RegSetValueEx(key, "Small", REG_BINARY, &byte, 1), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    TemporaryRegistry registry_;
};

TEST_F(HiveLimits, AValueThatWouldPushTheHivePastItsSizeIsRefusedAndTheFileKept) {
    // A hive as the registry writes it, 100 bytes short of 16 MiB: sixteen long strings.
    constexpr std::size_t kRoom = 100;
    std::string hive = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Big]\n";
    const std::size_t line = (kMaxRegTextSize - kRoom - hive.size()) / 16;
    for (char name = 'a'; name < 'a' + 16; ++name) {
        hive += "\"" + std::string(1, name) + "\"=\"" + std::string(line - 7, 'x') + "\"\n";
    }
    hive += std::string(kMaxRegTextSize - kRoom - hive.size(), '\n');  // blank lines
    ASSERT_EQ(hive.size(), kMaxRegTextSize - kRoom);
    TemporaryRegistry::write(registry_.userHive(), hive);

    HKEY key{};
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Big", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const std::vector<std::uint8_t> data(kRoom, 0x41);
    EXPECT_EQ(RegSetValueEx(key, "one more", REG_BINARY, data.data(), kRoom),
              ERROR_REGISTRY_QUOTA_LIMIT);
    EXPECT_EQ(TemporaryRegistry::contentOf(registry_.userHive()), hive);
    const std::uint8_t byte = 1;
    EXPECT_EQ(RegSetValueEx(key, "s", REG_BINARY, &byte, 1), ERROR_SUCCESS) << "it still fits";
    RegCloseKey(key);
}

TEST_F(HiveLimits, AKeyBelowAnOpenedKeyMayNotLieDeeperThanTheHiveHolds) {
    // The root's name and 511 below it: as deep as a hive file goes.
    HKEY deepest{};
    ASSERT_EQ(
        RegCreateKeyEx(HKEY_CURRENT_USER, nested(511).c_str(), KEY_ALL_ACCESS, &deepest, nullptr),
        ERROR_SUCCESS);
    HKEY below{};
    EXPECT_EQ(RegCreateKeyEx(deepest, "x", KEY_ALL_ACCESS, &below, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyEx(deepest, "x", KEY_READ, &below), ERROR_INVALID_PARAMETER);
    RegCloseKey(deepest);
    expectUsable();
}

TEST_F(HiveLimits, AnImportIntoThe32BitViewMayNotPushAKeyTooDeep) {
    // 512 names as written, 513 once the view puts WOW6432Node below Software.
    const std::string text =
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software\\" + nested(510) +
        "]\n\"A\"=\"1\"\n";
    const Failure refused = importRegText(text, KEY_ALL_ACCESS | KEY_WOW64_32KEY);
    EXPECT_EQ(refused.status, ERROR_INVALID_PARAMETER);
    EXPECT_NE(refused.message.find("line 2"), std::string::npos) << refused.message;
    EXPECT_NE(refused.message.find("512 levels"), std::string::npos) << refused.message;
    EXPECT_FALSE(std::filesystem::exists(registry_.machineHive()));
    EXPECT_EQ(importRegText(text, KEY_ALL_ACCESS).status, ERROR_SUCCESS) << "fits the 64-bit view";
    HKEY key{};
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

}  // namespace
}  // namespace zo::platform::registry

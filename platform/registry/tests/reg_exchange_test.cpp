// Export and import of keys as .reg text, the way the reg tool moves them between registries.

#include "platform/registry/reg_exchange.h"

#include <gtest/gtest.h>

#include "platform/registry/registry_value.h"
#include "platform/registry/win_registry.h"
#include "platform/tests/temporary_registry.h"

namespace zo::platform::registry {
namespace {

using testing::TemporaryRegistry;

TEST(RegExchange, AnExportedKeyImportsIntoAnotherRegistryUnchanged) {
    std::string exported;
    std::string userHive;
    {
        const TemporaryRegistry source;
        const std::string text =
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Valdra]\n"
            "\"Name\"=\"Quintel\"\n\n[HKEY_CURRENT_USER\\Software\\Valdra\\Sub]\n"
            "\"Blob\"=hex:01,02\n";
        ASSERT_EQ(importRegText(text, KEY_ALL_ACCESS).status, ERROR_SUCCESS);
        EXPECT_EQ(exportKey("hkcu\\software\\valdra", KEY_READ)
                      .value()
                      .find("[HKEY_CURRENT_USER\\software\\valdra]"),
                  38u);
        auto result = exportKey("HKCU\\Software\\Valdra", KEY_READ);
        ASSERT_TRUE(result.ok()) << result.failure().message;
        exported = result.value();
        EXPECT_NE(exported.find("[HKEY_CURRENT_USER\\Software\\Valdra]\n\"Name\"=\"Quintel\""),
                  std::string::npos);
        userHive = TemporaryRegistry::contentOf(source.userHive());
    }
    const TemporaryRegistry target;
    ASSERT_EQ(importRegText(exported, KEY_ALL_ACCESS).status, ERROR_SUCCESS);
    EXPECT_EQ(TemporaryRegistry::contentOf(target.userHive()), userHive);
    EXPECT_FALSE(std::filesystem::exists(target.machineHive()));
}

TEST(RegExchange, ImportAppliesRemovalsAndKeepsViewsAndClassesApart) {
    const TemporaryRegistry registry;
    const std::string text =
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Vendor]\n\"Old\"=\"1\"\n\"Keep\"=\"2\"\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Gone]\n"
        "[HKEY_CLASSES_ROOT\\.dat]\n@=\"datfile\"\n";
    ASSERT_EQ(importRegText(text, KEY_ALL_ACCESS | KEY_WOW64_32KEY).status, ERROR_SUCCESS);
    const std::string removal =
        "Windows Registry Editor Version 5.00\n[-HKEY_LOCAL_MACHINE\\Software\\Vendor\\Gone]\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Vendor]\n\"Old\"=-\n";
    ASSERT_EQ(importRegText(removal, KEY_ALL_ACCESS | KEY_WOW64_32KEY).status, ERROR_SUCCESS);

    const auto hive = TemporaryRegistry::contentOf(registry.machineHive());
    EXPECT_NE(hive.find("[HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Vendor]\n\"Keep\"=\"2\"\n"),
              std::string::npos);
    EXPECT_EQ(hive.find("Gone"), std::string::npos);
    EXPECT_EQ(hive.find("Old"), std::string::npos);
    EXPECT_NE(hive.find("[HKEY_LOCAL_MACHINE\\Software\\Classes\\.dat]\n@=\"datfile\""),
              std::string::npos);
}

TEST(RegExchange, ADamagedOrForeignFileImportsNothing) {
    const TemporaryRegistry registry;
    const std::string damaged =
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"X\"=\"1\"\n"
        "[HKEY_CURRENT_USER\\B]\n\"Y\"=hex:zz\n";
    const auto failure = importRegText(damaged, KEY_ALL_ACCESS);
    EXPECT_EQ(failure.status, ERROR_REGISTRY_CORRUPT);
    EXPECT_NE(failure.message.find("line 5"), std::string::npos) << failure.message;

    const std::string foreign =
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n[HKEY_USERS\\S-1]\n";
    const auto refused = importRegText(foreign, KEY_ALL_ACCESS);
    EXPECT_EQ(refused.status, ERROR_INVALID_PARAMETER);
    EXPECT_NE(refused.message.find("line 3"), std::string::npos) << refused.message;
    EXPECT_FALSE(std::filesystem::exists(registry.userHive()));

    EXPECT_FALSE(exportKey("HKEY_USERS\\X", KEY_READ).ok());
    EXPECT_EQ(exportKey("HKCU\\Missing", KEY_READ).failure().status, ERROR_KEY_DELETED);
}

}  // namespace
}  // namespace zo::platform::registry

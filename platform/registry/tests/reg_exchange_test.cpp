// Export and import of keys as .reg text, the way the reg tool moves them between registries.

#include "platform/registry/reg_exchange.h"

#include <gtest/gtest.h>

#include <vector>

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

// What a Windows export of an expandable string holds after conversion to UTF-8: the hex(2)
// bytes are still UTF-16LE. They import as UTF-8 text; narrow hex(2) data stays as it is.
TEST(RegExchange, StringDataInUtf16ImportsAsUtf8Text) {
    const TemporaryRegistry registry;
    const std::string text =
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Environment]\n"
        // "%A%;\u00e4\U0001F600" and the terminating zero
        "\"Path\"=hex(2):25,00,41,00,25,00,3b,00,e4,00,3d,d8,00,de,00,00\n"
        "\"Narrow\"=hex(2):61,62,00,00\n"
        "\"Wide\"=hex(1):4f,00,4b,00,00,00\n";
    const Failure imported = importRegText(text, KEY_ALL_ACCESS);
    ASSERT_EQ(imported.status, ERROR_SUCCESS) << imported.message;
    HKEY key{};
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Environment", KEY_READ, &key), ERROR_SUCCESS);
    const auto query = [&](const char* name) {
        std::vector<std::uint8_t> data(64);
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        EXPECT_EQ(RegQueryValueEx(key, name, &type, data.data(), &size), ERROR_SUCCESS) << name;
        data.resize(size);
        return RegistryValue{type, data};
    };
    EXPECT_EQ(query("Path"), textValue(REG_EXPAND_SZ, "%A%;\xC3\xA4\xF0\x9F\x98\x80"));
    EXPECT_EQ(query("Narrow"), (RegistryValue{REG_EXPAND_SZ, {0x61, 0x62, 0, 0}}));
    EXPECT_EQ(query("Wide"), textValue(REG_SZ, "OK"));
    RegCloseKey(key);
}

TEST(RegExchange, StringDataThatIsNeitherNarrowNorUtf16TextImportsNothing) {
    const TemporaryRegistry registry;
    for (const std::string data : {"41,00,42",                  // odd length
                                   "41,00,3d,d8,00,00",         // a surrogate without its pair
                                   "41,00,00,00,42,00,00,00"})  // text after the terminator
    {
        const std::string text =
            "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"X\"=\"1\"\n"
            "[HKEY_CURRENT_USER\\Environment]\n\"Path\"=hex(2):" +
            data + "\n";
        const Failure refused = importRegText(text, KEY_ALL_ACCESS);
        EXPECT_EQ(refused.status, ERROR_REGISTRY_CORRUPT) << data;
        EXPECT_NE(refused.message.find("line 4: value \"Path\""), std::string::npos)
            << refused.message;
    }
    EXPECT_FALSE(std::filesystem::exists(registry.userHive()));
}

}  // namespace
}  // namespace zo::platform::registry

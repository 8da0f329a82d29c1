// The Windows-style registry functions over hive files: the statuses, buffer rules, rights and
// name rules callers rely on, views under 32-bit emulation, and a damaged hive left intact.

#include "platform/registry/win_registry.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/process_architecture.h"
#include "platform/registry/registry_value.h"
#include "platform/tests/temporary_registry.h"

namespace zo::platform::registry {
namespace {

using testing::TemporaryRegistry;

class WinRegistry : public ::testing::Test {
  protected:
    // Creates the key with a handle that has every right; closes it at the end of the test.
    HKEY created(HKEY root, const char* path, REGSAM access = KEY_ALL_ACCESS) {
        HKEY key{};
        EXPECT_EQ(RegCreateKeyEx(root, path, access, &key, nullptr), ERROR_SUCCESS) << path;
        handles_.push_back(key);
        return key;
    }
    void TearDown() override {
        for (const auto key : handles_) {
            RegCloseKey(key);
        }
    }
    static LSTATUS setText(HKEY key, const char* name, const std::string& text) {
        const auto value = textValue(REG_SZ, text);
        return RegSetValueEx(key, name, REG_SZ, value.data.data(),
                             static_cast<DWORD>(value.data.size()));
    }
    static std::string queryText(HKEY key, const char* name) {
        std::array<std::uint8_t, 512> buffer{};
        DWORD size = buffer.size();
        DWORD type = REG_NONE;
        if (RegQueryValueEx(key, name, &type, buffer.data(), &size) != ERROR_SUCCESS) {
            return "<missing>";
        }
        return textOf({type, {buffer.begin(), buffer.begin() + size}});
    }

    TemporaryRegistry registry_;
    std::vector<HKEY> handles_;
};

TEST_F(WinRegistry, CreatesStoresAndReadsBackThroughTheHiveFile) {
    DWORD disposition = 0;
    HKEY key{};
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Valdra\\Kestrava Quintel\\Settings",
                             KEY_ALL_ACCESS, &key, &disposition),
              ERROR_SUCCESS);
    handles_.push_back(key);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(setText(key, "Language", "de"), ERROR_SUCCESS);
    const auto number = dwordValue(3);
    ASSERT_EQ(RegSetValueEx(key, "Count", REG_DWORD, number.data.data(), 4), ERROR_SUCCESS);

    EXPECT_NE(TemporaryRegistry::contentOf(registry_.userHive())
                  .find("[HKEY_CURRENT_USER\\Software\\Valdra\\Kestrava Quintel\\Settings]\n"
                        "\"Count\"=dword:00000003\n\"Language\"=\"de\"\n"),
              std::string::npos);

    HKEY again{};
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "software\\VALDRA\\kestrava quintel\\settings",
                             KEY_READ, &again, &disposition),
              ERROR_SUCCESS);
    handles_.push_back(again);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(queryText(again, "LANGUAGE"), "de");
    DWORD type = 0;
    std::uint32_t count = 0;
    DWORD size = sizeof count;
    ASSERT_EQ(
        RegQueryValueEx(again, "count", &type, reinterpret_cast<std::uint8_t*>(&count), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(count, 3u);
}

TEST_F(WinRegistry, ATooSmallBufferGetsTheNeededSizeAndIsLeftAlone) {
    const HKEY key = created(HKEY_LOCAL_MACHINE, "Software\\A");
    ASSERT_EQ(setText(key, "Path", "C:\\Tools"), ERROR_SUCCESS);
    std::array<std::uint8_t, 4> small{'z', 'z', 'z', 'z'};
    DWORD size = small.size();
    EXPECT_EQ(RegQueryValueEx(key, "Path", nullptr, small.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 9u);
    EXPECT_EQ(small, (std::array<std::uint8_t, 4>{'z', 'z', 'z', 'z'}));

    DWORD sizeOnly = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Path", nullptr, nullptr, &sizeOnly), ERROR_SUCCESS);
    EXPECT_EQ(sizeOnly, 9u);
    EXPECT_EQ(RegQueryValueEx(key, "Absent", nullptr, nullptr, &sizeOnly), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueEx(key, "Path", nullptr, small.data(), nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(WinRegistry, EnumeratesSubkeysAndValuesInNameOrderIgnoringCase) {
    const HKEY key = created(HKEY_LOCAL_MACHINE, "SOFTWARE\\MathWorks\\MATLAB");
    created(key, "7.4");
    created(key, "7.10");
    created(key, "b");
    created(key, "A");
    ASSERT_EQ(setText(key, "zeta", "1"), ERROR_SUCCESS);
    ASSERT_EQ(setText(key, "Alpha", "2"), ERROR_SUCCESS);

    std::vector<std::string> names;
    std::array<char, 16> name{};
    for (DWORD index = 0;; ++index) {
        DWORD length = name.size();
        const auto status = RegEnumKeyEx(key, index, name.data(), &length);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        ASSERT_EQ(status, ERROR_SUCCESS);
        names.emplace_back(name.data(), length);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"7.10", "7.4", "A", "b"}));

    DWORD tight = 4;  // "7.10" needs room for its terminating zero
    EXPECT_EQ(RegEnumKeyEx(key, 0, name.data(), &tight), ERROR_MORE_DATA);

    DWORD length = name.size();
    DWORD type = 0;
    std::array<std::uint8_t, 8> data{};
    DWORD size = data.size();
    ASSERT_EQ(RegEnumValue(key, 0, name.data(), &length, &type, data.data(), &size), ERROR_SUCCESS);
    EXPECT_STREQ(name.data(), "Alpha");
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 2u);
    length = name.size();
    EXPECT_EQ(RegEnumValue(key, 2, name.data(), &length, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
}

TEST_F(WinRegistry, DeletesValuesAndKeysWithTheWindowsRules) {
    const HKEY key = created(HKEY_CURRENT_USER, "Software\\Parent\\Child");
    ASSERT_EQ(setText(key, "V", "x"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "v"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "v"), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Parent"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Parent\\Child"), ERROR_SUCCESS);
    EXPECT_EQ(setText(key, "V", "x"), ERROR_KEY_DELETED);

    created(HKEY_CURRENT_USER, "Software\\Parent\\Again\\Deeper");
    EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "Software\\Parent"), ERROR_SUCCESS);
    HKEY gone{};
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Parent", KEY_READ, &gone),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "Software\\Parent"), ERROR_FILE_NOT_FOUND);
}

TEST_F(WinRegistry, RefusesWhatAHandleHasNoRightToAndHandlesThatAreNotOpen) {
    created(HKEY_CURRENT_USER, "Software\\Ro");
    HKEY readOnly{};
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Ro", KEY_READ, &readOnly), ERROR_SUCCESS);
    EXPECT_EQ(setText(readOnly, "V", "x"), ERROR_ACCESS_DENIED);
    HKEY child{};
    EXPECT_EQ(RegCreateKeyEx(readOnly, "Child", KEY_READ, &child, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCloseKey(readOnly), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(readOnly), ERROR_INVALID_HANDLE);
    EXPECT_EQ(queryText(readOnly, "V"), "<missing>");

    const HKEY writable = created(HKEY_CURRENT_USER, "Software\\Ro");
    EXPECT_EQ(setText(writable, "Bad\nName", "x"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(writable, "V", REG_BINARY, nullptr, 3), ERROR_INVALID_PARAMETER);
    HKEY bad{};
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\\\Ro", KEY_READ, &bad),
              ERROR_INVALID_PARAMETER);
}

TEST_F(WinRegistry, ClassesRootIsTheMachinesSoftwareClasses) {
    const HKEY key = created(HKEY_CLASSES_ROOT, "Tecplot.Binary\\shell\\open\\command");
    ASSERT_EQ(setText(key, nullptr, "C:\\Tecplot\\bin\\tec.exe"), ERROR_SUCCESS);
    HKEY same{};
    ASSERT_EQ(
        RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Classes\\Tecplot.Binary\\shell\\open\\command",
                     KEY_READ, &same),
        ERROR_SUCCESS);
    handles_.push_back(same);
    EXPECT_EQ(queryText(same, ""), "C:\\Tecplot\\bin\\tec.exe");
}

TEST_F(WinRegistry, A32BitProcessUnderEmulationSeesTheRedirectedSoftwareKey) {
    const FixedProcessArchitecture emulated(true);
    const ScopedProcessArchitecture scoped(emulated);
    const HKEY view32 = created(HKEY_LOCAL_MACHINE, "Software\\Vendor", KEY_ALL_ACCESS);
    const HKEY view64 =
        created(HKEY_LOCAL_MACHINE, "Software\\Vendor", KEY_ALL_ACCESS | KEY_WOW64_64KEY);
    ASSERT_EQ(setText(view32, "Bits", "32"), ERROR_SUCCESS);
    ASSERT_EQ(setText(view64, "Bits", "64"), ERROR_SUCCESS);

    HKEY stored{};
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\WOW6432Node\\Vendor",
                           KEY_READ | KEY_WOW64_64KEY, &stored),
              ERROR_SUCCESS);
    handles_.push_back(stored);
    EXPECT_EQ(queryText(stored, "Bits"), "32");

    const FixedProcessArchitecture native(false);
    const ScopedProcessArchitecture nativeScope(native);
    const HKEY plain = created(HKEY_LOCAL_MACHINE, "Software\\Vendor", KEY_READ);
    EXPECT_EQ(queryText(plain, "Bits"), "64");
    const HKEY asked32 =
        created(HKEY_LOCAL_MACHINE, "Software\\Vendor", KEY_READ | KEY_WOW64_32KEY);
    EXPECT_EQ(queryText(asked32, "Bits"), "32");
    // The per-user hive has no views.
    const HKEY user32 =
        created(HKEY_CURRENT_USER, "Software\\Vendor", KEY_ALL_ACCESS | KEY_WOW64_32KEY);
    ASSERT_EQ(setText(user32, "Shared", "yes"), ERROR_SUCCESS);
    EXPECT_EQ(queryText(created(HKEY_CURRENT_USER, "Software\\Vendor"), "Shared"), "yes");
}

TEST_F(WinRegistry, ADamagedHiveIsRefusedAndLeftAsItWas) {
    const std::string damaged =
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software]\n\"A\"=dword:zz\n";
    TemporaryRegistry::write(registry_.machineHive(), damaged);

    HKEY key{};
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", KEY_READ, &key), ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\New", KEY_ALL_ACCESS, &key, nullptr),
              ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(TemporaryRegistry::contentOf(registry_.machineHive()), damaged);

    TemporaryRegistry::write(registry_.machineHive(),
                             "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\X]\n");
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "", KEY_READ, &key), ERROR_REGISTRY_CORRUPT);
}

}  // namespace
}  // namespace zo::platform::registry

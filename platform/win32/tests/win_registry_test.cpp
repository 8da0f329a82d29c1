// The registry functions over the registry of Windows (Wine's, in the test run's own prefix),
// below a key of this test program's own.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/registry/win_registry.h"

namespace zo::platform::registry {
namespace {

const std::uint8_t* bytesOf(const char* text) {
    return reinterpret_cast<const std::uint8_t*>(text);
}

class Win32Registry : public ::testing::Test {
  protected:
    Win32Registry() {
        const std::string name = "Software\\ZoRegistryTest" +
                                 std::to_string(::testing::UnitTest::GetInstance()->random_seed());
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, name.c_str(), KEY_ALL_ACCESS, &key_, nullptr),
                  ERROR_SUCCESS);
        name_ = name;
    }
    ~Win32Registry() override {
        RegCloseKey(key_);
        RegDeleteTree(HKEY_CURRENT_USER, name_.c_str());
    }

    HKEY key_{};
    std::string name_;
};

TEST_F(Win32Registry, ValuesKeepTheirTypeAndASmallBufferLearnsTheSizeNeeded) {
    ASSERT_EQ(RegSetValueEx(key_, "Text", REG_SZ, bytesOf("C:\\Quintel"), 11), ERROR_SUCCESS);
    const std::uint32_t number = 0x12345678;
    ASSERT_EQ(RegSetValueEx(key_, "Number", REG_DWORD,
                            reinterpret_cast<const std::uint8_t*>(&number), sizeof number),
              ERROR_SUCCESS);

    DWORD type = REG_NONE;
    std::array<std::uint8_t, 4> small{};
    DWORD size = small.size();
    EXPECT_EQ(RegQueryValueEx(key_, "Text", &type, small.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    std::array<std::uint8_t, 32> buffer{};
    size = buffer.size();
    EXPECT_EQ(RegQueryValueEx(key_, "Text", &type, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer.data()), "C:\\Quintel");

    size = buffer.size();
    EXPECT_EQ(RegQueryValueEx(key_, "Number", &type, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(RegQueryValueEx(key_, "Missing", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(RegDeleteValue(key_, "Number"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueEx(key_, "Number", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(Win32Registry, SubkeysEnumerateAndATreeGoesWhole) {
    HKEY child{};
    ASSERT_EQ(RegCreateKeyEx(key_, "B\\Deeper", KEY_ALL_ACCESS, &child, nullptr), ERROR_SUCCESS);
    RegCloseKey(child);
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(key_, "A", KEY_ALL_ACCESS, &child, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(child);

    std::array<char, 16> name{};
    DWORD length = name.size();
    std::string names;
    for (DWORD index = 0; RegEnumKeyEx(key_, index, name.data(), &length) == ERROR_SUCCESS;
         ++index, length = name.size()) {
        names += std::string(name.data(), length) + ";";
    }
    EXPECT_EQ(names, "A;B;");

    EXPECT_NE(RegDeleteKey(key_, "B"), ERROR_SUCCESS);  // it has a subkey
    EXPECT_EQ(RegDeleteTree(key_, "B"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyEx(key_, "B", KEY_READ, &child), ERROR_FILE_NOT_FOUND);
}

TEST_F(Win32Registry, ThePredefinedRootsOpenOnEveryWordSize) {
    HKEY software{};
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", KEY_READ, &software), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(software), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, name_.c_str(), KEY_READ, &software), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(software), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", KEY_READ, nullptr),
              ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace zo::platform::registry

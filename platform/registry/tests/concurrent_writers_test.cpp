// Two processes changing different values of one hive at the same time both keep every change,
// and the hive stays readable throughout.

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/registry/registry_value.h"
#include "platform/registry/win_registry.h"
#include "platform/tests/temporary_registry.h"

namespace zo::platform::registry {
namespace {

constexpr int kValuesPerWriter = 40;

// Runs in a child process: writes its own values, each through a fresh handle, and reports by
// exit status whether every write succeeded.
[[noreturn]] void writeValues(char writer) {
    int failures = 0;
    for (int i = 0; i < kValuesPerWriter; ++i) {
        HKEY key{};
        failures += RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Shared", KEY_ALL_ACCESS, &key,
                                   nullptr) != ERROR_SUCCESS;
        const auto name = std::string(1, writer) + std::to_string(i);
        const auto value = dwordValue(static_cast<std::uint32_t>(i));
        failures +=
            RegSetValueEx(key, name.c_str(), REG_DWORD, value.data.data(), 4) != ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ::_exit(failures == 0 ? 0 : 1);
}

TEST(ConcurrentWriters, TwoProcessesWritingOneHiveLoseNoChange) {
    const testing::TemporaryRegistry registry;
    std::vector<pid_t> children;
    for (const char writer : {'a', 'b'}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            writeValues(writer);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    HKEY key{};
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Shared", KEY_READ, &key), ERROR_SUCCESS);
    for (const char writer : {'a', 'b'}) {
        for (int i = 0; i < kValuesPerWriter; ++i) {
            const auto name = std::string(1, writer) + std::to_string(i);
            std::uint32_t number = 0;
            DWORD size = sizeof number;
            ASSERT_EQ(RegQueryValueEx(key, name.c_str(), nullptr,
                                      reinterpret_cast<std::uint8_t*>(&number), &size),
                      ERROR_SUCCESS)
                << name;
            EXPECT_EQ(number, static_cast<std::uint32_t>(i));
        }
    }
    RegCloseKey(key);
    EXPECT_FALSE(std::filesystem::exists(registry.folder() / "machine.reg.new"));
}

}  // namespace
}  // namespace zo::platform::registry

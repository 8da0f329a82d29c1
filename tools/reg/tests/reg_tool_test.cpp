// The reg tool as a user runs it: output, messages and exit statuses of each command, and two
// tool processes changing one hive at the same time.

#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <sstream>

#include "platform/tests/temporary_registry.h"
#include "tools/reg/reg_commands.h"

extern char** environ;

namespace zo::tools::reg {
namespace {

using platform::testing::TemporaryRegistry;

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result reg(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runReg(arguments, out, err);
    return {status, out.str(), err.str()};
}

class RegTool : public ::testing::Test {
  protected:
    TemporaryRegistry registry_;
};

TEST_F(RegTool, AddsValuesOfEveryTypeAndQueriesThem) {
    EXPECT_EQ(reg({"add", "HKCU\\Software\\Valdra", "/v", "Name", "/d", "Quintel"}).status, 0);
    EXPECT_EQ(reg({"ADD", "hkcu\\software\\valdra", "-v", "Home", "/t", "REG_EXPAND_SZ", "/d",
                   "%VALDRACOMMON%/x"})
                  .status,
              0);
    EXPECT_EQ(reg({"add", "HKCU\\Software\\Valdra", "/v", "Count", "/t", "REG_DWORD", "/d", "0x2A"})
                  .status,
              0);
    EXPECT_EQ(
        reg({"add", "HKCU\\Software\\Valdra", "/v", "Blob", "/t", "reg_binary", "/d", "00ff10"})
            .status,
        0);
    EXPECT_EQ(reg({"add", "HKCU\\Software\\Valdra", "/ve", "/d", "default"}).status, 0);
    EXPECT_EQ(reg({"add", "HKCU\\Software\\Valdra\\Sub"}).status, 0);

    const auto result = reg({"query", "HKCU\\Software\\Valdra"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "\nHKCU\\Software\\Valdra\n"
              "    (Default)    REG_SZ    default\n"
              "    Blob    REG_BINARY    00FF10\n"
              "    Count    REG_DWORD    0x2a\n"
              "    Home    REG_EXPAND_SZ    %VALDRACOMMON%/x\n"
              "    Name    REG_SZ    Quintel\n"
              "HKCU\\Software\\Valdra\\Sub\n");
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Valdra", "/v", "count"}).out,
              "\nHKCU\\Software\\Valdra\n    Count    REG_DWORD    0x2a\n");
    EXPECT_NE(reg({"query", "HKCU\\Software", "/s"}).out.find("HKCU\\Software\\Valdra\\Sub"),
              std::string::npos);
}

TEST_F(RegTool, RefusesWhatWouldSurpriseAUser) {
    ASSERT_EQ(reg({"add", "HKCU\\A", "/v", "V", "/d", "1"}).status, 0);
    const auto overwrite = reg({"add", "HKCU\\A", "/v", "v", "/d", "2"});
    EXPECT_EQ(overwrite.status, 1);
    EXPECT_NE(overwrite.err.find("add /f"), std::string::npos);
    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "v", "/d", "2", "/f"}).status, 0);
    EXPECT_NE(reg({"query", "HKCU\\A"}).out.find("REG_SZ    2"), std::string::npos);

    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "N", "/t", "REG_DWORD", "/d", "12x"}).status, 1);
    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "N", "/t", "REG_DWORD", "/d", "4294967296"}).status, 1);
    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "N", "/t", "REG_BINARY", "/d", "abc"}).status, 1);
    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "N", "/t", "REG_QWORD", "/d", "1"}).status, 1);

    const auto missing = reg({"query", "HKCU\\A", "/v", "Missing"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("unable to find"), std::string::npos);
    EXPECT_EQ(reg({"query", "HKCU\\Nothing"}).status, 1);
    EXPECT_EQ(reg({"query", "HKU\\A"}).status, 1);
    EXPECT_EQ(reg({}).status, 1);
    EXPECT_NE(reg({"frobnicate"}).err.find("usage:"), std::string::npos);
    EXPECT_EQ(reg({"export", "HKCU\\A"}).status, 1);
    EXPECT_EQ(reg({"add", "HKCU\\A", "/v"}).status, 1);
}

TEST_F(RegTool, DeletesValuesAndKeysOnlyWhenConfirmed) {
    ASSERT_EQ(reg({"add", "HKLM\\Software\\X\\Y", "/v", "A", "/d", "1"}).status, 0);
    ASSERT_EQ(reg({"add", "HKLM\\Software\\X\\Y", "/v", "B", "/d", "2"}).status, 0);
    EXPECT_EQ(reg({"delete", "HKLM\\Software\\X\\Y", "/v", "A"}).status, 1);
    EXPECT_EQ(reg({"delete", "HKLM\\Software\\X\\Y", "/v", "A", "/f"}).status, 0);
    EXPECT_EQ(reg({"delete", "HKLM\\Software\\X\\Y", "/v", "A", "/f"}).status, 1);
    EXPECT_EQ(reg({"delete", "HKLM\\Software\\X\\Y", "/va", "/f"}).status, 0);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\X\\Y"}).out, "\nHKLM\\Software\\X\\Y\n");
    EXPECT_EQ(reg({"delete", "HKLM\\Software\\X", "/f"}).status, 0);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\X"}).status, 1);
}

TEST_F(RegTool, ExportsAndImportsThroughFilesInBothViews) {
    ASSERT_EQ(reg({"add", "HKLM\\Software\\Vendor", "/v", "Bits", "/d", "32", "/reg:32"}).status,
              0);
    EXPECT_NE(TemporaryRegistry::contentOf(registry_.machineHive()).find("WOW6432Node\\Vendor"),
              std::string::npos);
    const auto file = (registry_.folder() / "vendor.reg").string();
    ASSERT_EQ(reg({"export", "HKLM\\Software\\Vendor", file, "/reg:32"}).status, 0);
    EXPECT_EQ(reg({"export", "HKLM\\Software\\Vendor", file, "/reg:32"}).status, 1);
    EXPECT_EQ(reg({"export", "HKLM\\Software\\Vendor", file, "/reg:32", "/y"}).status, 0);
    EXPECT_EQ(TemporaryRegistry::contentOf(file),
              "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Vendor]\n"
              "\"Bits\"=\"32\"\n");

    ASSERT_EQ(reg({"import", file, "/reg:64"}).status, 0);
    EXPECT_NE(reg({"query", "HKLM\\Software\\Vendor", "/reg:64"}).out.find("Bits    REG_SZ    32"),
              std::string::npos);

    TemporaryRegistry::write(file,
                             "Windows Registry Editor Version 5.00\n[HKCU\\Z]\n\"A\"=dword:x\n");
    const auto damaged = reg({"import", file});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.err.find("vendor.reg: line 3: dword:"), std::string::npos) << damaged.err;
    EXPECT_EQ(reg({"query", "HKCU\\Z"}).status, 1);
    EXPECT_EQ(reg({"import", file + ".missing"}).status, 1);
}

TEST_F(RegTool, TwoToolProcessesAddingToOneHiveKeepBothValues) {
    const auto spawnAdd = [](const std::string& name) {
        std::vector<std::string> arguments = {
            REG_TOOL_PATH, "add", "HKCU\\Software\\Both", "/v", name, "/d", name};
        std::vector<char*> argv;
        for (auto& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        pid_t child = 0;
        EXPECT_EQ(::posix_spawn(&child, REG_TOOL_PATH, nullptr, nullptr, argv.data(), environ), 0);
        return child;
    };
    for (int round = 0; round < 10; ++round) {
        const pid_t first = spawnAdd("first" + std::to_string(round));
        const pid_t second = spawnAdd("second" + std::to_string(round));
        for (const pid_t child : {first, second}) {
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
    }
    const auto listing = reg({"query", "HKCU\\Software\\Both"}).out;
    for (int round = 0; round < 10; ++round) {
        EXPECT_NE(listing.find("first" + std::to_string(round) + "    REG_SZ"), std::string::npos);
        EXPECT_NE(listing.find("second" + std::to_string(round) + "    REG_SZ"), std::string::npos);
    }
}

}  // namespace
}  // namespace zo::tools::reg

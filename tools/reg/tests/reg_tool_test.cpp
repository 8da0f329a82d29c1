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

// Runs reg with `answers` as what the user types at its questions (none: end of input).
Result reg(const std::vector<std::string>& arguments, const std::string& answers = {}) {
    std::istringstream in(answers);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runReg(arguments, in, out, err);
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
              "\nHKEY_CURRENT_USER\\Software\\Valdra\n"
              "    (Default)    REG_SZ    default\n"
              "    Blob    REG_BINARY    00FF10\n"
              "    Count    REG_DWORD    0x2a\n"
              "    Home    REG_EXPAND_SZ    %VALDRACOMMON%/x\n"
              "    Name    REG_SZ    Quintel\n"
              "\n"
              "HKEY_CURRENT_USER\\Software\\Valdra\\Sub\n");
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Valdra", "/v", "count"}).out,
              "\nHKEY_CURRENT_USER\\Software\\Valdra\n    Count    REG_DWORD    0x2a\n\n");
    EXPECT_NE(reg({"query", "HKCU\\Software", "/s"})
                  .out.find("\nHKEY_CURRENT_USER\\Software\\Valdra\\Sub\n\n"),
              std::string::npos);
}

TEST_F(RegTool, RefusesWhatWouldSurpriseAUser) {
    ASSERT_EQ(reg({"add", "HKCU\\A", "/v", "V", "/d", "1"}).status, 0);
    const auto overwrite = reg({"add", "HKCU\\A", "/v", "v", "/d", "2"});
    EXPECT_EQ(overwrite.status, 1);
    EXPECT_EQ(overwrite.out, "Value v exists, overwrite (Yes/No)? \n");
    EXPECT_EQ(overwrite.err, "ERROR: The operation was canceled by the user.\n");
    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "v", "/d", "2", "/f"}).status, 0);
    EXPECT_NE(reg({"query", "HKCU\\A"}).out.find("REG_SZ    2"), std::string::npos);

    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "N", "/t", "REG_DWORD", "/d", "12x"}).status, 1);
    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "N", "/t", "REG_DWORD", "/d", "4294967296"}).status, 1);
    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "N", "/t", "REG_BINARY", "/d", "abc"}).status, 1);
    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "N", "/t", "REG_QWORD", "/d", "1"}).status, 1);

    const auto missing = reg({"query", "HKCU\\A", "/v", "Missing"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "ERROR: The system was unable to find the specified registry key or value.\n");
    EXPECT_EQ(reg({"query", "HKCU\\Nothing"}).status, 1);
    EXPECT_EQ(reg({"query", "HKU\\A"}).status, 1);
    EXPECT_EQ(reg({}).status, 1);
    EXPECT_EQ(reg({"frobnicate"}).err,
              "ERROR: Invalid argument/option - 'frobnicate'.\nType \"REG /?\" for usage.\n");
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
    EXPECT_EQ(reg({"query", "HKLM\\Software\\X\\Y"}).out, "\n");
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

TEST_F(RegTool, LaysOutQueriesAsWindowsDoes) {
    ASSERT_EQ(reg({"add", "HKCU\\Software\\V", "/v", "Wine", "/d", "First"}).status, 0);
    ASSERT_EQ(reg({"add", "HKCU\\Software\\V\\Sub", "/v", "Wine", "/d", "Second"}).status, 0);
    ASSERT_EQ(reg({"add", "HKCU\\Software\\V\\Sub", "/v", "Other", "/d", "x"}).status, 0);
    ASSERT_EQ(reg({"add", "HKCU\\Software\\V\\Sub\\Deep"}).status, 0);

    // Every key below with its values, each closed by a blank line; full root names; the name of
    // the key as typed, also with a trailing backslash.
    const std::string tree =
        "\nHKEY_CURRENT_USER\\software\\v\n    Wine    REG_SZ    First\n\n"
        "HKEY_CURRENT_USER\\software\\v\\Sub\n    Other    REG_SZ    x\n"
        "    Wine    REG_SZ    Second\n\n"
        "HKEY_CURRENT_USER\\software\\v\\Sub\\Deep\n\n";
    EXPECT_EQ(reg({"query", "HKCU\\software\\v", "/s"}).out, tree);
    EXPECT_EQ(reg({"query", "HKEY_CURRENT_USER\\software\\v\\", "/s"}).out, tree);

    // /v with /s searches the key and every key below it.
    const auto search = reg({"query", "HKCU\\Software\\V", "/v", "wine", "/s"});
    EXPECT_EQ(search.status, 0);
    EXPECT_EQ(search.out,
              "\nHKEY_CURRENT_USER\\Software\\V\n    Wine    REG_SZ    First\n\n"
              "HKEY_CURRENT_USER\\Software\\V\\Sub\n    Wine    REG_SZ    Second\n\n"
              "End of search: 2 match(es) found.\n");
    const auto none = reg({"query", "HKCU\\Software\\V", "/v", "Missing", "/s"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "\nEnd of search: 0 match(es) found.\n");
    EXPECT_EQ(none.err, "");

    // A key with subkeys only lists them; an unset default value is "(value not set)".
    EXPECT_EQ(reg({"query", "HKCU\\Software"}).out, "\nHKEY_CURRENT_USER\\Software\\V\n");
    EXPECT_EQ(reg({"query", "HKCU\\Software\\V", "/ve"}).out,
              "\nHKEY_CURRENT_USER\\Software\\V\n    (Default)    REG_SZ    (value not set)\n\n");
    ASSERT_EQ(reg({"add", "HKCR\\.qcfg", "/ve", "/d", "Quintel"}).status, 0);
    EXPECT_EQ(reg({"query", "hkcr\\.qcfg", "/ve"}).out,
              "\nHKEY_CLASSES_ROOT\\.qcfg\n    (Default)    REG_SZ    Quintel\n\n");
}

TEST_F(RegTool, PrintsUsageOnRequestAndWindowsErrorTexts) {
    const auto usage = reg({"/?"});
    EXPECT_EQ(usage.status, 0);
    EXPECT_NE(usage.out.find("REG QUERY /?"), std::string::npos) << usage.out;
    EXPECT_NE(usage.out.find("HKEY_CURRENT_USER   " + registry_.userHive().string()),
              std::string::npos)
        << usage.out;
    for (const char* operation : {"query", "ADD", "delete", "export", "import"}) {
        const auto help = reg({operation, "/?"});
        EXPECT_EQ(help.status, 0) << operation;
        EXPECT_EQ(help.out.rfind("REG ", 0), 0u) << help.out;
    }
    EXPECT_NE(reg({"query", "-h"}).out.find("/ve        shows the default value"),
              std::string::npos);

    const std::string querySyntax = "ERROR: Invalid syntax.\nType \"REG QUERY /?\" for usage.\n";
    EXPECT_EQ(reg({"query"}).err, querySyntax);
    EXPECT_EQ(reg({"query", "HKCU\\A", "/s", "/s"}).err, querySyntax);
    EXPECT_EQ(reg({"query", "HKCU\\A", "/v", "a", "/v", "b"}).err, querySyntax);
    EXPECT_EQ(reg({"query", "HKCU\\A", "/v", "a", "/ve"}).err, querySyntax);
    EXPECT_EQ(reg({"query", "HKCU\\A", "/reg:32", "/reg:64"}).err, querySyntax);
    EXPECT_EQ(reg({"delete", "HKCU\\A", "/va", "/v", "x", "/f"}).err,
              "ERROR: Invalid syntax.\nType \"REG DELETE /?\" for usage.\n");
    EXPECT_EQ(reg({}).err, "ERROR: Invalid syntax.\nType \"REG /?\" for usage.\n");
    EXPECT_EQ(reg({"query", "HKU\\A"}).err,
              "ERROR: Invalid key name.\nType \"REG QUERY /?\" for usage.\n");
    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "N", "/t", "REG_DWORD", "/d", "x"}).err,
              "ERROR: Invalid syntax. Specify valid numeric value for '/d'.\nType \"REG ADD /?\" "
              "for usage.\n");
    EXPECT_EQ(reg({"import", (registry_.folder() / "none.reg").string()}).err,
              "ERROR: Error opening the file. There may be a disk or file system error.\ncannot "
              "open " +
                  (registry_.folder() / "none.reg").string() + "\n");
}

TEST_F(RegTool, AsksBeforeOverwritingOrDeletingUnlessForced) {
    ASSERT_EQ(reg({"add", "HKCU\\Q", "/v", "V", "/d", "1"}).status, 0);
    const auto yes = reg({"add", "HKCU\\Q", "/v", "V", "/d", "2"}, "yes\n");
    EXPECT_EQ(yes.status, 0);
    EXPECT_EQ(yes.out,
              "Value V exists, overwrite (Yes/No)? The operation completed successfully.\n");
    EXPECT_NE(reg({"query", "HKCU\\Q", "/v", "V"}).out.find("REG_SZ    2"), std::string::npos);

    const auto no = reg({"delete", "HKCU\\Q", "/v", "V"}, "n\n");
    EXPECT_EQ(no.status, 1);
    EXPECT_EQ(no.out, "Delete the registry value V (Yes/No)? ");
    EXPECT_EQ(reg({"delete", "HKCU\\Q", "/va"}, "Y\n").out,
              "Delete all values under the registry key HKEY_CURRENT_USER\\Q (Yes/No)? The "
              "operation completed successfully.\n");
    EXPECT_EQ(reg({"delete", "HKCU\\Q"}, "y\n").out,
              "Permanently delete the registry key HKEY_CURRENT_USER\\Q (Yes/No)? The operation "
              "completed successfully.\n");
    EXPECT_EQ(reg({"query", "HKCU\\Q"}).status, 1);
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

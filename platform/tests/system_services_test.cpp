// The platform helpers beside the registry: environment strings with the Windows rules, wildcard
// file search that tells files from folders, path existence, the system folder and the process
// architecture a test can substitute.

#include <gtest/gtest.h>

#include <fstream>

#include "platform/environment_strings.h"
#include "platform/file_search.h"
#include "platform/path_exists.h"
#include "platform/process_architecture.h"
#include "platform/system_folder.h"
#include "platform/tests/scoped_environment_variable.h"
#include "platform/tests/temporary_folder.h"

namespace zo::platform {
namespace {

using testing::ScopedEnvironmentVariable;
using testing::TemporaryFolder;

TEST(EnvironmentStrings, ExpandsKnownVariablesAndLeavesTheRestAsWritten) {
    const ScopedEnvironmentVariable common("ZoTestCommon", "/opt/valdra");
    const ScopedEnvironmentVariable empty("ZO_TEST_EMPTY", "");
    const ScopedEnvironmentVariable absent("ZO_TEST_ABSENT", std::nullopt);

    EXPECT_EQ(expandEnvironmentStrings("%ZoTestCommon%/Bin"), "/opt/valdra/Bin");
    EXPECT_EQ(expandEnvironmentStrings("%ZOTESTCOMMON%"), "/opt/valdra");
    EXPECT_EQ(expandEnvironmentStrings("a%ZO_TEST_EMPTY%b"), "ab");
    EXPECT_EQ(expandEnvironmentStrings("%ZO_TEST_ABSENT%\\x"), "%ZO_TEST_ABSENT%\\x");
    EXPECT_EQ(expandEnvironmentStrings("100% sure"), "100% sure");
    EXPECT_EQ(expandEnvironmentStrings("%%"), "%%");
    EXPECT_EQ(expandEnvironmentStrings("%ZO_TEST_ABSENT%ZoTestCommon%"),
              "%ZO_TEST_ABSENT/opt/valdra");
    EXPECT_EQ(environmentVariable("zotestcommon"), "/opt/valdra");
    EXPECT_EQ(environmentVariable("ZO_TEST_ABSENT"), std::nullopt);
}

TEST(FileSearch, MatchesWildcardsWithoutRegardToCase) {
    EXPECT_TRUE(matchesWildcard("tarvn_12.dat", "*.dat"));
    EXPECT_TRUE(matchesWildcard("QELT_3.DAT", "*.dat"));
    EXPECT_TRUE(matchesWildcard(".dat", "*.dat"));
    EXPECT_FALSE(matchesWildcard("a.data", "*.dat"));
    EXPECT_FALSE(matchesWildcard("a.dat.bak", "*.dat"));
    EXPECT_TRUE(matchesWildcard("a.b.dat", "*.dat"));
    EXPECT_TRUE(matchesWildcard("abc", "a?c"));
    EXPECT_FALSE(matchesWildcard("ac", "a?c"));
    EXPECT_TRUE(matchesWildcard("anything", "*"));
    EXPECT_FALSE(matchesWildcard(std::string(200, 'a'), std::string(30, '*') + "b"));
}

TEST(FileSearch, ListsMatchingEntriesInNameOrderTellingFoldersFromFiles) {
    const TemporaryFolder folder;
    for (const char* name : {"b.dat", "A.DAT", "c.txt"}) {
        std::ofstream(folder.path() / name) << "x";
    }
    std::filesystem::create_directory(folder.path() / "folder.dat");

    const auto entries = findEntries(folder.path(), "*.dat");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "A.DAT");
    EXPECT_FALSE(entries[0].isFolder);
    EXPECT_EQ(entries[1].name, "b.dat");
    EXPECT_EQ(entries[2].name, "folder.dat");
    EXPECT_TRUE(entries[2].isFolder);
    EXPECT_TRUE(findEntries(folder.path() / "missing", "*.dat").empty());
}

TEST(PathExists, TellsExistingFilesAndFoldersFromAnythingElse) {
    const TemporaryFolder folder;
    std::ofstream(folder.path() / "file") << "x";
    EXPECT_TRUE(pathExists(folder.path()));
    EXPECT_TRUE(pathExists(folder.path() / "file"));
    EXPECT_FALSE(pathExists(folder.path() / "missing"));
    EXPECT_FALSE(pathExists(""));
}

TEST(SystemFolder, IsTheConfiguredFolderOrTheSystemLibrarysOwn) {
    {
        const ScopedEnvironmentVariable configured(kSystemFolderVariable, "/srv/system");
        EXPECT_EQ(systemFolder(), "/srv/system");
    }
    const ScopedEnvironmentVariable unset(kSystemFolderVariable, std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(systemFolder() / "libZoSystem.so"));
}

TEST(ProcessArchitecture, IsNativeUnlessATestSubstitutesAnAnswer) {
    EXPECT_FALSE(processArchitecture().isUnder32BitEmulation());
    {
        const FixedProcessArchitecture emulated(true);
        const ScopedProcessArchitecture scoped(emulated);
        EXPECT_TRUE(processArchitecture().isUnder32BitEmulation());
    }
    EXPECT_FALSE(processArchitecture().isUnder32BitEmulation());
}

}  // namespace
}  // namespace zo::platform

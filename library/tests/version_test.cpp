// QnGetVersion reads the file version of the library's copy in the system folder.

#include <filesystem>

#include "library/tests/c_interface.h"
#include "library/tests/library_test_support.h"
#include "platform/shared_library.h"
#include "platform/system_folder.h"
#include "platform/tests/scoped_environment_variable.h"
#include "platform/tests/temporary_folder.h"

namespace zo::test {
namespace {

using platform::testing::ScopedEnvironmentVariable;
using platform::testing::TemporaryFolder;

struct Version {
    uint16_t major = 99, minor = 99, build = 99;
};

Version versionIn(const std::filesystem::path& folder) {
    const ScopedEnvironmentVariable system(platform::kSystemFolderVariable, folder.string());
    Version version;
    EXPECT_EQ(QnGetVersion(&version.major, &version.minor, &version.build), QN_OK);
    return version;
}

TEST(QnGetVersion, IsOneZeroWithoutAnInstalledCopy) {
    TemporaryFolder empty;
    const Version version = versionIn(empty.path());
    EXPECT_EQ(version.major, 1);
    EXPECT_EQ(version.minor, 0);
    EXPECT_EQ(version.build, 0);
}

TEST(QnGetVersion, ReadsTheFileVersionOfTheInstalledCopy) {
    TemporaryFolder folder;
    std::filesystem::copy_file(QUINTELDRV_PATH,
                               folder.path() / zo::platform::sharedLibraryFileName("QuintelDrv"));
    const Version version = versionIn(folder.path());
    EXPECT_EQ(version.major, QUINTELDRV_EXPECTED_MAJOR);
    EXPECT_EQ(version.minor, QUINTELDRV_EXPECTED_MINOR);
    EXPECT_EQ(version.build, 0);
}

TEST(QnGetVersion, AnInstalledFileThatIsNoLibraryCountsAsNoCopy) {
    TemporaryFolder folder;
    std::filesystem::create_directory(folder.path() /
                                      zo::platform::sharedLibraryFileName("QuintelDrv"));
    EXPECT_EQ(versionIn(folder.path()).major, 1);
    EXPECT_EQ(versionIn(folder.path()).minor, 0);
}

TEST(QnGetVersion, StoresMajorAndMinorOnlyWhenBothCanBeStored) {
    uint16_t major = 99;
    uint16_t build = 99;
    EXPECT_EQ(QnGetVersion(&major, nullptr, &build), QN_OK);
    EXPECT_EQ(major, 99);
    EXPECT_EQ(build, 0);
    EXPECT_EQ(QnGetVersion(nullptr, nullptr, nullptr), QN_OK);
}

TEST(CInterface, SeesTheSameRecordsAndReachesTheExports) {
    EXPECT_EQ(cInterfaceRecordSizes(), 1028 + 28 + 68);
    EXPECT_GE(cInterfaceVersionMajor(), 1);
}

}  // namespace
}  // namespace zo::test

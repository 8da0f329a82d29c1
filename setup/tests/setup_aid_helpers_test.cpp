// The rules SetupAid's exports are built from: version numbers, the search-path rewrite, path
// cutting and the caller-buffer rule.

#include <gtest/gtest.h>

#include <array>

#include "setup/caller_buffer.h"
#include "setup/path_text.h"
#include "setup/search_path_rewrite.h"
#include "setup/version_numbers.h"

namespace zo::setup {
namespace {

TEST(SetupVersionValue, WeighsTheDigitsOfTheFixedForm) {
    EXPECT_EQ(setupVersionValue("1.11.00"), 11100u);
    EXPECT_EQ(setupVersionValue("1.10.05"), 11005u);
    EXPECT_GT(*setupVersionValue("1.11.00"), *setupVersionValue("1.10.05"));
    EXPECT_EQ(setupVersionValue("1.2.3"), std::nullopt);
    // Characters are taken as digits without validation; below '0' they wrap as unsigned.
    EXPECT_GT(*setupVersionValue(" .00.00"), *setupVersionValue("9.99.99"));
}

TEST(MatlabReleaseNumber, ReadsMajorAndMinorAsSeparateNumbers) {
    EXPECT_EQ(matlabReleaseNumber("7.4"), 704);
    EXPECT_EQ(matlabReleaseNumber("7.10"), 710);
    EXPECT_EQ(matlabReleaseNumber("7"), 700);
    EXPECT_EQ(matlabReleaseNumber("9.13.1"), 913);
    EXPECT_EQ(matlabReleaseNumber("8."), 800);
    EXPECT_EQ(matlabReleaseNumber("R2019a"), 0);
    EXPECT_EQ(matlabReleaseNumber(".5"), 0);
    EXPECT_EQ(matlabReleaseNumber(""), 0);
    EXPECT_EQ(matlabReleaseNumber("99999999999.1"), 0);
    EXPECT_EQ(matlabReleaseNumber("7.-4"), 700);
}

TEST(LabviewVersionNumber, TruncatesTheHundredfoldVersion) {
    EXPECT_EQ(labviewVersionNumber("8.6"), 860);
    EXPECT_EQ(labviewVersionNumber("9.0"), 900);
    EXPECT_EQ(labviewVersionNumber("8.20"), 820);
    EXPECT_EQ(labviewVersionNumber(" 2019"), 201900);
    EXPECT_EQ(labviewVersionNumber("8.6 beta"), 860);
    EXPECT_EQ(labviewVersionNumber("beta"), 0);
    EXPECT_EQ(labviewVersionNumber("1e300"), 0);
}

TEST(SearchPathRewrite, ReplacesTheRelativeEntryOnceAndThenLeavesThePathAlone) {
    const auto rewritten =
        rewriteSearchPath("C:\\A;%VALDRACOMMON%\\Bin;C:\\B", "%VALDRACOMMON%\\Bin", "C:\\X");
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(*rewritten, "C:\\A;C:\\B;C:\\X;");
    EXPECT_EQ(rewriteSearchPath(*rewritten, "%VALDRACOMMON%\\Bin", "C:\\X"), std::nullopt);

    EXPECT_EQ(rewriteSearchPath("C:\\XY", "%VALDRACOMMON%\\Bin", "C:\\X"), std::nullopt);
    EXPECT_EQ(rewriteSearchPath("C:\\A;%VALDRACOMMON%\\Bin", "%VALDRACOMMON%\\Bin", "C:\\X"),
              "C:\\A;C:\\X;");
    EXPECT_EQ(rewriteSearchPath("%VALDRACOMMON%\\Bin;C:\\X", "%VALDRACOMMON%\\Bin", "C:\\X"),
              "C:\\X");
    EXPECT_EQ(rewriteSearchPath("C:\\A;", "%VALDRACOMMON%\\Bin", "C:\\X"), "C:\\A;C:\\X;");
}

TEST(PathText, CutsAtTheGivenSeparators) {
    EXPECT_EQ(withoutTrailingSeparator("/setup/Disk1/", kPlatformSeparators), "/setup/Disk1");
    EXPECT_EQ(withoutTrailingSeparator("C:\\Sapera\\\\", kRegistryPathSeparators), "C:\\Sapera\\");
    EXPECT_EQ(withoutTrailingSeparator("C:\\Sapera\\", kPlatformSeparators), "C:\\Sapera\\");
    EXPECT_EQ(folderOf("C:\\Program Files\\CEAPPMGR.EXE", kRegistryPathSeparators),
              "C:\\Program Files");
    EXPECT_EQ(folderOf("/opt/ce/ceappmgr", kRegistryPathSeparators), "/opt/ce");
    EXPECT_EQ(folderOf("ceappmgr", kRegistryPathSeparators), std::nullopt);
}

TEST(CopyToCaller, CopiesTheWholeTextOrLeavesTheBufferAlone) {
    std::array<char, 8> buffer{'u', 'u', 'u', 'u', 'u', 'u', 'u', 'u'};
    EXPECT_FALSE(copyToCaller("1234567", buffer.data(), 7));
    EXPECT_EQ(buffer[0], 'u');
    EXPECT_FALSE(copyToCaller("x", buffer.data(), -1));
    EXPECT_FALSE(copyToCaller("x", nullptr, 8));
    EXPECT_TRUE(copyToCaller("1234567", buffer.data(), 8));
    EXPECT_STREQ(buffer.data(), "1234567");
    std::array<char, 300> large{};
    EXPECT_FALSE(copyToCaller(std::string(260, 'a'), large.data(), large.size()));
    EXPECT_TRUE(copyToCaller(std::string(259, 'a'), large.data(), large.size()));
}

}  // namespace
}  // namespace zo::setup

// The program's registry values other than the channel configuration: the language index, the
// installation folder and the manual, the About texts and the window placement.

#include <gtest/gtest.h>

#include <cstring>

#include "app/core/language_index.h"
#include "app/core/manual_location.h"
#include "app/core/tests/program_registry.h"
#include "app/core/version_info.h"
#include "app/core/window_pos.h"

namespace zo::quintel {
namespace {

using testing::ProgramRegistry;

class SettingsValues : public ::testing::Test {
  protected:
    ProgramRegistry registry_;
};

TEST_F(SettingsValues, LanguageIndexFallsBackFromTheUserToTheMachineToEnglish) {
    EXPECT_EQ(ReadLanguageIndex(), 0) << "no value anywhere";

    registry_.setDword(ProgramRegistry::kMachine, "Language", 2);
    EXPECT_EQ(ReadLanguageIndex(), 2) << "no user value: the installer's preset";

    registry_.setDword(ProgramRegistry::kUser, "Language", 0xFFFF'FFFF);
    EXPECT_EQ(ReadLanguageIndex(), 2) << "user value -1 means unset";

    registry_.setDword(ProgramRegistry::kUser, "Language", 9);
    EXPECT_EQ(ReadLanguageIndex(), 9) << "taken as stored; it names no language file";

    registry_.setDword(ProgramRegistry::kUser, "Language", 3);
    EXPECT_EQ(ReadLanguageIndex(), 3);

    registry_.setDword(ProgramRegistry::kUser, "Language", 0xFFFF'FFFF);
    registry_.setDword(ProgramRegistry::kMachine, "Language", 0xFFFF'FFFF);
    EXPECT_EQ(ReadLanguageIndex(), 0) << "-1 everywhere";
}

TEST_F(SettingsValues, LanguageIndexIgnoresAValueThatIsNotAFourByteDword) {
    registry_.setDword(ProgramRegistry::kMachine, "Language", 1);
    registry_.setString(ProgramRegistry::kUser, "Language", "de");
    EXPECT_EQ(ReadLanguageIndex(), 1);
    const std::uint8_t eightBytes[8] = {4};
    registry_.set(ProgramRegistry::kUser, "Language", testing::reg::REG_DWORD, eightBytes);
    EXPECT_EQ(ReadLanguageIndex(), 1);
}

TEST_F(SettingsValues, LanguageIndexIsWrittenAsADwordOnlyIntoAnExistingUserKey) {
    WriteLanguageIndex(5);
    EXPECT_FALSE(registry_.get(ProgramRegistry::kUser, "Language")) << "no key is created";

    ASSERT_TRUE(CreateUserSettingsKey());
    WriteLanguageIndex(5);
    const auto stored = registry_.get(ProgramRegistry::kUser, "Language");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, testing::reg::REG_DWORD);
    EXPECT_EQ(stored->bytes, (std::vector<std::uint8_t>{5, 0, 0, 0}));
    EXPECT_EQ(ReadLanguageIndex(), 5);
}

TEST_F(SettingsValues, ManualIsInDocsOfTheInstallationFolder) {
    EXPECT_EQ(ReadAppPath(), std::nullopt);
    EXPECT_EQ(ManualPath(ManualFolder()), "Manual.pdf") << "no machine key: the current folder";

    registry_.createKey(ProgramRegistry::kMachine);
    EXPECT_EQ(ReadAppPath(), "") << "the key opens without the value";
    EXPECT_EQ(ManualPath(ManualFolder()), "Docs/Manual.pdf");

    registry_.setString(ProgramRegistry::kMachine, "AppPath", "/opt/kestrava");
    EXPECT_EQ(ReadAppPath(), "/opt/kestrava/");
    EXPECT_EQ(ManualPath(ManualFolder()), "/opt/kestrava/Docs/Manual.pdf");

    registry_.setString(ProgramRegistry::kMachine, "AppPath", "/opt/kestrava/");
    EXPECT_EQ(ManualPath(ManualFolder()), "/opt/kestrava/Docs/Manual.pdf");

    registry_.setString(ProgramRegistry::kMachine, "AppPath", "/" + std::string(259, 'x'));
    EXPECT_EQ(ReadAppPath(), "") << "longer than 260 bytes: not read";
}

TEST_F(SettingsValues, VersionTextsReplaceTheDefaultsOneByOne) {
    const VersionInfo defaults = ReadVersionInfo();
    EXPECT_EQ(defaults.version, "1.00.00");
    EXPECT_EQ(defaults.user, "Guest");
    EXPECT_EQ(defaults.company, "Valdra, Inc.");

    registry_.setString(ProgramRegistry::kMachine, "Version", "1.10.00");
    registry_.setString(ProgramRegistry::kMachine, "Company", std::string(128, 'c'));
    const VersionInfo info = ReadVersionInfo();
    EXPECT_EQ(info.version, "1.10.00");
    EXPECT_EQ(info.user, "Guest");
    EXPECT_EQ(info.company, "Valdra, Inc.") << "129 bytes with its zero: too long to read";
}

TEST_F(SettingsValues, WindowPlacementRoundTripsAsTwentyFourBytes) {
    const WindowPos unset = ReadWindowPos();
    EXPECT_EQ(unset.flags, 1);
    EXPECT_FALSE(HasUsableSize(unset));

    ASSERT_TRUE(CreateUserSettingsKey());
    WriteWindowPos({-20, 40, 900, 600, 0, 0});
    const auto stored = registry_.get(ProgramRegistry::kUser, "AppWindowPos");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, testing::reg::REG_BINARY);
    EXPECT_EQ(stored->bytes.size(), 24u);
    EXPECT_EQ(stored->bytes[0], 0xEC) << "-20, little-endian";

    const WindowPos pos = ReadWindowPos();
    EXPECT_EQ(pos.left, -20);
    EXPECT_EQ(pos.top, 40);
    EXPECT_EQ(pos.width, 900);
    EXPECT_EQ(pos.height, 600);
    EXPECT_EQ(pos.flags, 0);
    EXPECT_TRUE(HasUsableSize(pos));
}

TEST_F(SettingsValues, APlacementWithoutAPositiveSizeIsNotApplied) {
    EXPECT_FALSE(HasUsableSize({10, 10, 0, 600, 0, 0}));
    EXPECT_FALSE(HasUsableSize({10, 10, 800, 0, 0, 0}));
    EXPECT_FALSE(HasUsableSize({10, 10, -800, 600, 0, 0}));

    const std::int32_t shortValue[2] = {7, 8};
    registry_.setBinary(ProgramRegistry::kUser, "AppWindowPos", shortValue);
    const WindowPos partial = ReadWindowPos();
    EXPECT_EQ(partial.left, 7);
    EXPECT_EQ(partial.top, 8);
    EXPECT_EQ(partial.flags, 1) << "the bytes it lacks keep their preset";
}

}  // namespace
}  // namespace zo::quintel

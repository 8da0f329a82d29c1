// The language table, the names of language files beside the program and the list the language
// dialog offers.

#include "app/core/languages.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/tests/temporary_folder.h"

namespace zo::quintel {
namespace {

using platform::testing::TemporaryFolder;

class LanguageFiles : public ::testing::Test {
  protected:
    void install(const std::string& name) {
        std::filesystem::create_directories(folder_.path() / "Languages");
        std::ofstream(folder_.path() / "Languages" / name) << "x";
    }
    std::filesystem::path program(const std::string& name = "Quintel") const {
        return folder_.path() / name;
    }

    TemporaryFolder folder_;
};

TEST_F(LanguageFiles, TheBaseIsTheProgramNameWithoutItsExtensionInLanguages) {
    const std::filesystem::path languages = folder_.path() / "Languages";
    EXPECT_EQ(LanguageFileBase(program("Quintel")), languages / "Quintel");
    EXPECT_EQ(LanguageFileBase(program("Quintel.exe")), languages / "Quintel");
    EXPECT_EQ(LanguageFileBase(""), std::nullopt) << "the program's path is unknown";
    EXPECT_EQ(LanguageFileBase("Quintel"), std::nullopt) << "no folder";
    EXPECT_EQ(LanguageModulePath(1, program()), languages / "Quintel.de");
    EXPECT_EQ(LanguageModulePath(5, program()), languages / "Quintel.jp");
    EXPECT_EQ(LanguageModulePath(0, program()), std::nullopt) << "English is built in";
    EXPECT_EQ(LanguageModulePath(8, program()), std::nullopt);
    EXPECT_EQ(LanguageModulePath(-1, program()), std::nullopt);
}

TEST_F(LanguageFiles, TheRunningProgramHasABase) {
    const auto base = LanguageFileBase();
    ASSERT_TRUE(base);
    EXPECT_EQ(base->filename(), "quintel_core_tests");
    EXPECT_EQ(base->parent_path().filename(), "Languages");
}

TEST_F(LanguageFiles, TheListHoldsEnglishAndTheInstalledLanguagesInTableOrder) {
    EXPECT_EQ(BuildLanguageList(32, program()), (std::vector<std::int32_t>{0}));

    install("Quintel.ru");
    install("Quintel.de");
    install("Quintel.xx");
    install("Other.fr");
    std::filesystem::create_directory(folder_.path() / "Languages" / "Quintel.it");
    EXPECT_EQ(BuildLanguageList(32, program()), (std::vector<std::int32_t>{0, 1, 7}));
    EXPECT_EQ(BuildLanguageList(32, program("Quintel.exe")), (std::vector<std::int32_t>{0, 1, 7}));
    EXPECT_EQ(BuildLanguageList(7, program()), (std::vector<std::int32_t>{0, 1}))
        << "room for seven: indices up to 6 only";
    EXPECT_EQ(BuildLanguageList(1, program()), (std::vector<std::int32_t>{0}));
    EXPECT_TRUE(BuildLanguageList(0, program()).empty());
    EXPECT_TRUE(BuildLanguageList(32, "").empty());
}

TEST(LanguageNames, OnlyTheMarkedLanguagesShowTheirNativeName) {
    const NativeLanguageName system = [](const Language& language) -> std::string {
        if (language.localeId == 0x0419) {
            return "русский";
        }
        if (std::string(language.localeName) == "de_DE") {
            return "Deutsch (System)";
        }
        return {};
    };
    EXPECT_EQ(LanguageDisplayName(0, system), "English");
    EXPECT_EQ(LanguageDisplayName(1, system), "Deutsch") << "not marked: the name as it stands";
    EXPECT_EQ(LanguageDisplayName(3, system), "Français");
    EXPECT_EQ(LanguageDisplayName(7, system), "Russian (русский)");
    EXPECT_EQ(LanguageDisplayName(5, system), "Japanese") << "the system has no native name";
    EXPECT_EQ(LanguageDisplayName(6, nullptr), "Chinese");
    EXPECT_EQ(LanguageDisplayName(8, system), "");
    EXPECT_EQ(LanguageDisplayName(-1, system), "");
}

}  // namespace
}  // namespace zo::quintel

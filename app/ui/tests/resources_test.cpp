#include <gtest/gtest.h>

#include "app/ui/tests/qt_print.h"

#include <QFile>
#include <QTemporaryDir>

#include "app/core/resource_ids.h"
#include "app/core/string_ids.h"
#include "app/ui/language_module.h"
#include "app/ui/resource_lookup.h"

namespace zo::quintel {
namespace {

QString shippedLanguage(const char* suffix) {
    return QString(QUINTEL_LANGUAGE_DIR "/Quintel.") + suffix;
}

TEST(Resources, EveryImageOfTheProgramIsThereInItsSizes) {
    QList<QSize> appSizes = ResourceIcon(res::kAppIcon).availableSizes();
    for (int size : {16, 24, 32, 48, 256}) {
        EXPECT_TRUE(appSizes.contains(QSize(size, size))) << size;
    }
    for (int channel = 0; channel < 8; ++channel) {
        for (bool on : {false, true}) {
            QList<QSize> sizes = ResourceIcon(res::ChannelIcon(channel, on)).availableSizes();
            EXPECT_TRUE(sizes.contains(QSize(16, 16))) << channel << on;
        }
    }
    EXPECT_EQ(ResourceBitmap(res::kAboutBanner).size(), QSize(640, 64));
    EXPECT_EQ(ResourceBitmap(res::kSplash).size(), QSize(560, 420));
    EXPECT_TRUE(ResourceCursor(res::kHandCursor));

    EXPECT_TRUE(ResourceIcon(999).isNull());
    EXPECT_TRUE(ResourceBitmap(999).isNull());
    EXPECT_FALSE(ResourceCursor(999));
}

TEST(Resources, EveryShippedLanguageReplacesTheEnglishTextsWhileLoaded) {
    const std::pair<const char*, const char*> titles[] = {
        {"de", "Kestrava Quintel Signalgenerator"},
        {"fr", "Générateur de signaux Kestrava Quintel"},
        {"jp", "Kestrava Quintel 信号発生器"},
    };
    for (const auto& [suffix, title] : titles) {
        QString why;
        std::unique_ptr<LanguageModule> language =
            LanguageModule::Load(shippedLanguage(suffix), &why);
        ASSERT_TRUE(language) << why.toStdString();
        EXPECT_EQ(ResourceText(ids::kAppTitle), QString(title));
        language.reset();
        EXPECT_EQ(ResourceText(ids::kAppTitle), "Kestrava Quintel Signal Generator");
    }
    auto german = LanguageModule::Load(shippedLanguage("de"));
    EXPECT_EQ(ResourceText(ids::kChannelNumber, 3), "Kanal 3");

    QString why;
    EXPECT_FALSE(LanguageModule::Load(shippedLanguage("fr"), &why));
    EXPECT_EQ(why, shippedLanguage("fr") + ": another language is loaded");
    EXPECT_EQ(ResourceText(ids::kChannelNumber, 3), "Kanal 3");
}

TEST(Resources, ALanguageFileCarriesImagesAndLosesOnlyTheEntriesItMayNotHave) {
    {
        std::unique_ptr<LanguageModule> language = LanguageModule::Load(QUINTEL_TEST_LANGUAGE);
        ASSERT_TRUE(language);
        EXPECT_EQ(ResourceText(ids::kAppTitle), "Test title");
        EXPECT_EQ(ResourceText(ids::kChannelNumber, 3), "Channel 3");  // lost its %d: English
        EXPECT_EQ(ResourceText(4000), "");
        EXPECT_EQ(ResourceBitmap(res::kSplash).size(), QSize(32, 32));
        EXPECT_EQ(ResourceBitmap(res::kAboutBanner).size(), QSize(640, 64));
    }
    EXPECT_EQ(ResourceBitmap(res::kSplash).size(), QSize(560, 420));
}

TEST(Resources, AFileThatIsNoLanguageLeavesEnglishInUse) {
    QTemporaryDir folder;
    QString garbage = folder.filePath("Quintel.xx");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a resource file");
    file.close();

    QString why;
    EXPECT_FALSE(LanguageModule::Load(garbage, &why));
    EXPECT_EQ(why, garbage + ": not a compiled resource file");
    EXPECT_FALSE(LanguageModule::Load(folder.filePath("Quintel.de"), &why));
    EXPECT_EQ(why, folder.filePath("Quintel.de") + ": no such file");
    EXPECT_EQ(ResourceText(ids::kAppTitle), "Kestrava Quintel Signal Generator");
}

}  // namespace
}  // namespace zo::quintel

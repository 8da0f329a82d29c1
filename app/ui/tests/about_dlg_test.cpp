#include "app/ui/about_dlg.h"

#include <gtest/gtest.h>

#include "app/ui/tests/qt_print.h"

#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include "app/ui/control_id.h"
#include "app/ui/language_module.h"
#include "app/ui/static_link.h"
#include "app/ui/tests/screenshot.h"

namespace zo::quintel {
namespace {

QString text(CAboutDlg& dialog, int id) {
    return qobject_cast<QLabel*>(FindControl(dialog, id))->text();
}

QTreeWidget& informationList(CAboutDlg& dialog) {
    return *qobject_cast<QTreeWidget*>(FindControl(dialog, CAboutDlg::kInformationListId));
}

CStaticLink& link(CAboutDlg& dialog) {
    return *qobject_cast<CStaticLink*>(FindControl(dialog, CAboutDlg::kLinkId));
}

TEST(CAboutDlg, ShowsTitleCopyrightOfTheYearAndTheLink) {
    CAboutDlg dialog("1.00.00", nullptr, 2031);
    EXPECT_EQ(dialog.windowTitle(), "About Kestrava Quintel...");
    EXPECT_EQ(text(dialog, CAboutDlg::kTitleId), "Kestrava Quintel - Signal Generator");
    EXPECT_EQ(text(dialog, CAboutDlg::kCopyrightId),
              "Copyright © 2031 Valdra, Inc.\nAll rights reserved.");
    EXPECT_EQ(link(dialog).text(), "https://www.valdra.example");
    EXPECT_FALSE(text(dialog, CAboutDlg::kNotice1Id).isEmpty());
    EXPECT_FALSE(text(dialog, CAboutDlg::kNotice2Id).isEmpty());
    EXPECT_EQ(dialog.findChild<QLabel*>()->pixmap().size(), QSize(640, 64));
}

TEST(CAboutDlg, ListsVersionAndPlatformInColumnsOfOneAndTwoThirds) {
    CAboutDlg dialog("2.34.56");
    dialog.show();
    QTreeWidget& list = informationList(dialog);
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.topLevelItem(0)->text(0), "Version");
    EXPECT_EQ(list.topLevelItem(0)->text(1), "2.34.56");
    EXPECT_EQ(list.topLevelItem(1)->text(0), "Platform");
    EXPECT_EQ(list.topLevelItem(1)->text(1), CAboutDlg::PlatformName());
#if defined(__x86_64__)
    EXPECT_EQ(CAboutDlg::PlatformName(), "x64");
#endif
    const int width = list.viewport()->width();
    EXPECT_EQ(list.columnWidth(0), width / 3);
    EXPECT_EQ(list.columnWidth(1), width - width / 3);
    EXPECT_TRUE(list.isHeaderHidden());
    testing::SaveScreenshot(dialog, "about_dialog");
}

TEST(CAboutDlg, ASecondDialogShowsAnUnvisitedLink) {
    CAboutDlg first("1.00.00");
    first.show();
    link(first).SetOpener([](const QUrl&) { return true; });
    QTest::mouseClick(&link(first), Qt::LeftButton);
    EXPECT_EQ(link(first).Colour(), CStaticLink::kVisitedColour);

    CAboutDlg second("1.00.00");
    EXPECT_EQ(link(second).Colour(), CStaticLink::kUnvisitedColour);
}

TEST(CAboutDlg, SpeaksTheLoadedLanguage) {
    for (const char* suffix : {"de", "fr", "jp"}) {
        QString file = QString(QUINTEL_LANGUAGE_DIR "/Quintel.") + suffix;
        std::unique_ptr<LanguageModule> language = LanguageModule::Load(file);
        ASSERT_TRUE(language) << suffix;
        CAboutDlg dialog("1.00.00", nullptr, 2031);
        EXPECT_NE(dialog.windowTitle(), "About Kestrava Quintel...");
        EXPECT_TRUE(text(dialog, CAboutDlg::kCopyrightId).contains("2031"));
        dialog.show();
        testing::SaveScreenshot(dialog, QString("about_dialog_") + suffix);
    }
}

}  // namespace
}  // namespace zo::quintel

#include "app/ui/language_dlg.h"

#include <gtest/gtest.h>

#include "app/ui/tests/qt_print.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>

#include "app/ui/control_id.h"
#include "app/ui/system_native_language_name.h"
#include "app/ui/tests/screenshot.h"

namespace zo::quintel {
namespace {

const std::vector<LanguageChoice> kInstalled = InstalledLanguageChoices({0, 1, 3, 5, 7});

QComboBox& languageList(CLanguageDlg& dialog) {
    return *qobject_cast<QComboBox*>(FindControl(dialog, CLanguageDlg::kLanguageListId));
}

QPushButton& button(CLanguageDlg& dialog, QDialogButtonBox::ButtonRole role) {
    for (QAbstractButton* candidate : dialog.findChild<QDialogButtonBox*>()->buttons()) {
        if (dialog.findChild<QDialogButtonBox*>()->buttonRole(candidate) == role) {
            return *qobject_cast<QPushButton*>(candidate);
        }
    }
    throw std::logic_error("no such button");
}

TEST(InstalledLanguageChoices, NameTheLanguagesWithTheNativeNamesOfTheLocaleData) {
    EXPECT_EQ(SystemNativeLanguageName(*FindLanguage(5)), "日本語");
    EXPECT_EQ(SystemNativeLanguageName(*FindLanguage(6)), "简体中文");
    EXPECT_EQ(SystemNativeLanguageName(*FindLanguage(1)), "Deutsch");
    EXPECT_EQ(SystemNativeLanguageName({9, "Unknown", 0, "qq_QQ", true, ".qq"}), "");

    std::vector<LanguageChoice> choices = InstalledLanguageChoices({0, 1, 7});
    ASSERT_EQ(choices.size(), 3u);
    EXPECT_EQ(choices[1].index, 1);
    EXPECT_EQ(choices[1].name, "Deutsch");
    EXPECT_EQ(choices[2].name, "Russian (русский)");

    choices = InstalledLanguageChoices({});
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].index, 0);
    EXPECT_EQ(choices[0].name, "English");
}

TEST(CLanguageDlg, ListsTheChoicesInOrderAndSelectsTheCurrentLanguage) {
    CLanguageDlg dialog(kInstalled, 7);
    QComboBox& list = languageList(dialog);
    ASSERT_EQ(list.count(), 5);
    EXPECT_EQ(list.itemText(4), "Russian (русский)");
    EXPECT_EQ(list.itemData(2).toInt(), 3);
    EXPECT_EQ(list.currentIndex(), 4);
    EXPECT_EQ(dialog.windowTitle(), "Language");

    dialog.show();
    testing::SaveScreenshot(dialog, "language_dialog");
}

TEST(CLanguageDlg, ALanguageNoLongerInstalledSelectsTheFirstEntry) {
    CLanguageDlg dialog({{0, "English"}, {1, "Deutsch"}}, 2);
    EXPECT_EQ(languageList(dialog).currentIndex(), 0);
    dialog.show();
    QTest::mouseClick(&button(dialog, QDialogButtonBox::AcceptRole), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.ChosenIndex(), 0);
}

TEST(CLanguageDlg, OkReportsTheSelectedLanguageCancelTheCurrentOne) {
    CLanguageDlg chosen(kInstalled, 0);
    chosen.show();
    QTest::keyClick(&languageList(chosen), Qt::Key_Down);
    QTest::keyClick(&languageList(chosen), Qt::Key_Down);
    QTest::mouseClick(&button(chosen, QDialogButtonBox::AcceptRole), Qt::LeftButton);
    EXPECT_EQ(chosen.ChosenIndex(), 3);

    CLanguageDlg cancelled(kInstalled, 1);
    cancelled.show();
    QTest::keyClick(&languageList(cancelled), Qt::Key_Down);
    QTest::mouseClick(&button(cancelled, QDialogButtonBox::RejectRole), Qt::LeftButton);
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(cancelled.ChosenIndex(), 1);
}

}  // namespace
}  // namespace zo::quintel

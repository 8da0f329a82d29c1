// The main window with its real controls clicked: what reaches the record, the registry and the
// hub, and what the window shows.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

#include "app/core/device_config_storage.h"
#include "app/core/editor/control_ids.h"
#include "app/core/language_index.h"
#include "app/core/window_pos.h"
#include "app/ui/about_dlg.h"
#include "app/ui/diagram/time_wnd.h"
#include "app/ui/dialog/tests/dialog_fixture.h"
#include "app/ui/dig_edit.h"
#include "app/ui/language_dlg.h"
#include "app/ui/spin_btn.h"
#include "app/ui/tests/screenshot.h"

namespace zo::quintel::testing {
namespace {

TEST_F(DialogTest, ASpinHalfStepsItsDigitAfterTheClickHasReturned) {
    plug();
    open();
    pressSpin(1092, true);
    EXPECT_EQ(channel(0).frequency1, 100u) << "the step waits for the event loop";
    settle();
    EXPECT_EQ(channel(0).frequency1, 200u);
    EXPECT_EQ(cellText(1083), "2");
    EXPECT_EQ(sent(0).highTime, 2500u * 50);

    clickSpin(1092, false, 2);
    EXPECT_EQ(channel(0).frequency1, 1u) << "0 Hz is clamped to 1 Hz";
    EXPECT_EQ(cellText(1083), "0");
    EXPECT_EQ(cellText(1081), "1");
    clickSpin(1091, false);
    EXPECT_EQ(channel(0).frequency1, 91u) << "the tens digit wraps from 0 to 9 without a borrow";

    EXPECT_FALSE(control<CSpinBtn>(1096)->isEnabled()) << "a frequency has no millions digit";
    EXPECT_FALSE(control<CSpinBtn>(1096)->IsActive());
}

TEST_F(DialogTest, OutputButtonsSwitchTheLockGroupAndTheHubFollows) {
    const auto hub = plug();
    open();
    for (int k : {3, 5, 6}) {
        tick(ctl::LockCheck(k));
        EXPECT_EQ(channel(static_cast<std::size_t>(k)).locked, 1u);
    }
    click(ctl::OutputButton(5));
    for (int k : {3, 5, 6}) {
        EXPECT_EQ(channel(static_cast<std::size_t>(k)).outputOn, 1u) << k;
        EXPECT_TRUE(control<QAbstractButton>(ctl::OutputButton(k))->isChecked()) << k;
    }
    const std::vector<test::SeenControl> writes = hub->requests(0xFB);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back().setup.value & 0xFF, 0x40);
    EXPECT_EQ(writes.back().setup.index >> 8, 0x68) << "outputs 3, 5 and 6 open together";

    click(ctl::OutputButton(0));
    EXPECT_TRUE(control<QAbstractButton>(ctl::OutputButton(0))->isChecked());
    EXPECT_TRUE(control<CDigEdit>(1081)->IsLit()) << "channel 0 is the current channel";
    click(ctl::OutputButton(6));
    EXPECT_EQ(channel(3).outputOn, 0u);
    EXPECT_FALSE(control<QAbstractButton>(ctl::OutputButton(3))->isChecked());
    EXPECT_EQ(channel(0).outputOn, 1u);
}

TEST_F(DialogTest, ListsAndCheckBoxesChangeTheCurrentChannel) {
    plug();
    open();
    choose(ctl::kModeList, kModeBurstSingle);
    EXPECT_EQ(channel(0).mode, kModeBurstSingle);
    EXPECT_EQ(sent(0).mode, 4u);
    EXPECT_EQ(control<QLabel>(ctl::kGateCaption)->text(), "Trigger");
    EXPECT_TRUE(control<CDigEdit>(1141)->isVisible());
    EXPECT_EQ(control<QComboBox>(ctl::kWidth2UnitList)->currentText(), "Number of Pulses");
    clickSpin(1150, true, 2);
    EXPECT_EQ(sent(0).pulseCount, 3u);

    choose(ctl::kGateSourceList, 3);  // "Channel 1"
    EXPECT_EQ(channel(0).gateSource, 4u);
    EXPECT_EQ(sent(0).gateSource, 4u);
    tick(ctl::kInvertCheck);
    EXPECT_EQ(sent(0).invert, 1u);
    EXPECT_EQ(sent(0).idleLevel, 1u);

    choose(ctl::kChannelList, 2);
    EXPECT_EQ(dialog().Editor().Config().currentChannel, 2u);
    EXPECT_EQ(control<QLineEdit>(ctl::kLabelEdit)->text(), "Channel 02");
    EXPECT_EQ(control<QComboBox>(ctl::kModeList)->currentIndex(), kModeInternal);
    EXPECT_FALSE(control<QCheckBox>(ctl::kInvertCheck)->isChecked());

    choose(ctl::kRate1UnitList, kRateAsPeriod);
    EXPECT_EQ(channel(2).rate1Unit, kRateAsPeriod);
    EXPECT_EQ(cellText(1085), "1") << "10000 µs";
    EXPECT_TRUE(control<CSpinBtn>(1096)->isEnabled());

    typeInto(ctl::kLabelEdit, QStringLiteral("Laser µ"));
    EXPECT_STREQ(channel(2).label.data(), "Laser µ");
}

TEST_F(DialogTest, TheTimeBaseFollowsTheDiagramOrTheTypedValue) {
    plug();
    open();
    click(ctl::OutputButton(0));
    EXPECT_EQ(dialog().Diagram()->AutoRange(), 40'000);
    EXPECT_EQ(control<QLineEdit>(ctl::kTimeBaseEdit)->text(), "40000");
    EXPECT_FALSE(control<QLineEdit>(ctl::kTimeBaseEdit)->isEnabled());

    tick(ctl::kAutoTimeBaseCheck);
    EXPECT_EQ(dialog().Editor().Config().autoTimeBase, 0u);
    ASSERT_TRUE(control<QLineEdit>(ctl::kTimeBaseEdit)->isEnabled());
    typeInto(ctl::kTimeBaseEdit, QStringLiteral("2500"));
    EXPECT_EQ(dialog().Editor().Config().timeBase, 2500u);
    typeInto(ctl::kTimeBaseEdit, QStringLiteral("0"));
    EXPECT_EQ(dialog().Editor().Config().timeBase, 2500u);
    typeInto(ctl::kTimeBaseEdit, QStringLiteral("x"));
    EXPECT_EQ(dialog().Editor().Config().timeBase, 2500u);
}

TEST_F(DialogTest, ClosingAsksWithAHubAndSavesTheRecordAndThePlacement) {
    plug();
    open();
    clickSpin(1092, true);
    answerMessage(QMessageBox::No);
    QTest::keyClick(&dialog(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(lastMessage, "Are you sure you want to quit the application?");
    EXPECT_TRUE(dialog().isVisible()) << "No keeps the window open";

    dialog().move(40, 30);
    const QRect placement = dialog().geometry();
    answerMessage(QMessageBox::Yes);
    dialog().close();
    settle();
    EXPECT_FALSE(dialog().isVisible());

    DeviceConfig saved;
    LoadDeviceConfig(saved, 0);
    EXPECT_EQ(saved.channels[0].frequency1, 200u);
    const WindowPos pos = ReadWindowPos();
    EXPECT_EQ(pos.width, placement.width());
    EXPECT_EQ(pos.height, placement.height());
}

TEST_F(DialogTest, WithoutAHubTheWindowEditsAloneAndClosesWithoutAQuestion) {
    registry_.setBinary(ProgramRegistry::kUser, "AppWindowPos", WindowPos{30, 40, 1000, 520, 0, 0});
    open();
    EXPECT_FALSE(control<QAbstractButton>(ctl::OutputButton(0))->isEnabled());
    EXPECT_FALSE(control<QComboBox>(ctl::kChannelList)->isEnabled());
    EXPECT_FALSE(control<QCheckBox>(ctl::kMeasureACheck)->isEnabled());
    EXPECT_EQ(dialog().size(), QSize(1000, 520)) << "the saved placement";
    clickSpin(1172, true);
    EXPECT_EQ(channel(0).delay, 1000u);
    QTest::keyClick(&dialog(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_TRUE(lastMessage.isEmpty());
}

TEST_F(DialogTest, AFullSpeedHubIsReportedOnceAtStartUp) {
    plug({.speed = usb::Speed::Full});
    answerMessage(QMessageBox::Ok);
    open();
    EXPECT_EQ(lastMessage,
              "This device can perform faster if you connect it to a Hi-Speed USB 2.0 port.");
    EXPECT_TRUE(dialog().Editor().DeviceOpen());
}

TEST_F(DialogTest, TheMenuReachesTheManualTheLanguageAndAbout) {
    open();
    QTest::keyClick(&dialog(), Qt::Key_F1);
    EXPECT_EQ(manualOpened_, 1);

    QList<QAction*> commands = dialog().MenuBar()->actions().front()->menu()->actions();
    const auto command = [&](int id) -> QAction* {
        for (QAction* action : commands) {
            if (action->data().toInt() == id) {
                return action;
            }
        }
        return nullptr;
    };
    ASSERT_NE(command(CQuintelDlg::kLanguageCommand), nullptr);
    EXPECT_EQ(command(CQuintelDlg::kLanguageCommand)->text(), "Language...");
    EXPECT_EQ(command(CQuintelDlg::kAboutCommand)->text(), "About Kestrava Quintel...");

    bool languageShown = false;
    QTimer::singleShot(0, [&] {
        if (auto* language = shownWindow<CLanguageDlg>()) {
            languageShown = true;
            SaveScreenshot(*language, "main_language_dialog");
            language->reject();
        }
    });
    command(CQuintelDlg::kLanguageCommand)->trigger();
    EXPECT_TRUE(languageShown);

    bool aboutShown = false;
    QTimer::singleShot(0, [&] {
        if (auto* about = shownWindow<CAboutDlg>()) {
            aboutShown = true;
            about->accept();
        }
    });
    command(CQuintelDlg::kAboutCommand)->trigger();
    EXPECT_TRUE(aboutShown);
}

TEST_F(DialogTest, ALanguageChosenFromTheMenuIsStoredForTheNextStart) {
    open();
    QAction* language = nullptr;
    for (QAction* action : dialog().MenuBar()->actions().front()->menu()->actions()) {
        if (action->data().toInt() == CQuintelDlg::kLanguageCommand) {
            language = action;
        }
    }
    ASSERT_NE(language, nullptr);
    int chosen = -1;
    QTimer::singleShot(0, [&] {
        auto* dialogShown = shownWindow<CLanguageDlg>();
        ASSERT_NE(dialogShown, nullptr);
        auto* list = dialogShown->findChild<QComboBox*>();
        if (list == nullptr || list->count() != 2) {
            dialogShown->reject();
        }
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->count(), 2) << "English and the German file under the tests' name";
        list->setCurrentIndex(1);
        answerMessage(QMessageBox::Ok);
        dialogShown->accept();
        chosen = dialogShown->ChosenIndex();
    });
    language->trigger();
    settle();
    ASSERT_GT(chosen, 0);
    EXPECT_EQ(ReadLanguageIndex(), chosen);
    EXPECT_EQ(lastMessage, "Restart the program to change language.");
}

TEST_F(DialogTest, TheDiagramTakesTheSpaceTheWindowGains) {
    open();
    const QSize before = dialog().Diagram()->size();
    dialog().resize(dialog().width() + 300, dialog().height() + 200);
    settle();
    EXPECT_GE(dialog().Diagram()->width(), before.width() + 250);
    EXPECT_GE(dialog().Diagram()->height(), before.height() + 150);
    EXPECT_EQ(control<CDigEdit>(1081)->size(), QSize(17, 24)) << "the cells keep their size";

    // Each lock box stays level with its channel's row of the diagram.
    CTimeWnd& diagram = *dialog().Diagram();
    const DiagramLayout layout = diagram.PlotLayout();
    const int plotTop =
        diagram.mapTo(&dialog(), diagram.contentsRect().topLeft()).y() + layout.plot.top;
    for (int k = 0; k < 8; ++k) {
        QWidget* box = control<QCheckBox>(ctl::LockCheck(k));
        const int middle = box->mapTo(&dialog(), box->rect().center()).y();
        EXPECT_GE(middle, plotTop + k * layout.cellHeight) << "lock " << k;
        EXPECT_LT(middle, plotTop + (k + 1) * layout.cellHeight) << "lock " << k;
    }
}

}  // namespace
}  // namespace zo::quintel::testing

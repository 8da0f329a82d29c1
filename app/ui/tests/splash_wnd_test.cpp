#include "app/ui/splash_wnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>

#include "app/core/resource_ids.h"
#include "app/ui/tests/screenshot.h"

namespace zo::quintel {
namespace {

// A timer that never runs by itself; once the splash is up it calls whileShown from the event
// loop.
class ManualTimer : public SplashTimer {
  public:
    void Start(std::chrono::milliseconds time, std::function<void()> expired) override {
        started = time;
        running = true;
        expired_ = std::move(expired);
        QTimer::singleShot(0, whileShown);
    }
    void Stop() override { running = false; }
    void Expire() {
        running = false;
        expired_();
    }

    std::function<void()> whileShown = [] {};
    std::optional<std::chrono::milliseconds> started;
    bool running = false;

  private:
    std::function<void()> expired_;
};

CSplashWnd* shownSplash() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* splash = qobject_cast<CSplashWnd*>(window); splash && splash->isVisible()) {
            return splash;
        }
    }
    return nullptr;
}

TEST(CSplashWnd, StaysUntilItsTimeHasPassedCentredOnTheScreen) {
    ManualTimer timer;
    bool shown = false;
    timer.whileShown = [&] {
        CSplashWnd* splash = shownSplash();
        ASSERT_NE(splash, nullptr);
        shown = true;
        EXPECT_EQ(splash->size(), QSize(560, 420));
        QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_LE((splash->geometry().center() - screen.center()).manhattanLength(), 1);
        testing::SaveScreenshot(*splash, "splash");
        timer.Expire();
    };
    CSplashWnd::ShowSplash(res::kSplash, nullptr, timer);
    EXPECT_TRUE(shown);
    EXPECT_EQ(timer.started, CSplashWnd::kShowTime);
    EXPECT_EQ(shownSplash(), nullptr);
}

TEST(CSplashWnd, AClickOrAKeyEndsItEarlyAndStopsTheTimer) {
    const std::function<void(QWidget*)> ends[] = {
        [](QWidget* splash) { QTest::mouseClick(splash, Qt::LeftButton); },
        [](QWidget* splash) { QTest::mouseClick(splash, Qt::RightButton); },
        [](QWidget* splash) { QTest::keyClick(splash, Qt::Key_Space); },
        [](QWidget* splash) { QTest::keyClick(splash, Qt::Key_F4, Qt::AltModifier); },
    };
    for (const auto& end : ends) {
        ManualTimer timer;
        timer.whileShown = [&] { end(shownSplash()); };
        CSplashWnd::ShowSplash(res::kSplash, nullptr, timer);
        EXPECT_FALSE(timer.running);
        EXPECT_EQ(shownSplash(), nullptr);
    }
}

TEST(CSplashWnd, IsCentredOverAVisibleOwner) {
    QWidget owner;
    owner.setGeometry(20, 30, 700, 500);
    owner.show();
    ManualTimer timer;
    timer.whileShown = [&] {
        CSplashWnd* splash = shownSplash();
        EXPECT_LE((splash->geometry().center() - owner.frameGeometry().center()).manhattanLength(),
                  1);
        timer.Expire();
    };
    CSplashWnd::ShowSplash(res::kSplash, &owner, timer);
}

TEST(CSplashWnd, WithoutItsBitmapNothingIsShown) {
    ManualTimer timer;
    CSplashWnd::ShowSplash(9999, nullptr, timer);
    EXPECT_FALSE(timer.started);
}

}  // namespace
}  // namespace zo::quintel

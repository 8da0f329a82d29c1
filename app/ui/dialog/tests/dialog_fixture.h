#pragma once
// Test support: the main window on Qt's offscreen platform, on a simulated machine and a registry
// of the test's own, with the real device-access library loaded by the binder. The helpers click
// the real controls: spin halves, buttons and check boxes with the mouse, list items in the
// list's own pop-up.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/core/tests/program_registry.h"
#include "app/core/zoqn_helper.h"
#include "app/ui/dialog/quintel_dlg.h"
#include "driver/tests/driver_test_support.h"

namespace zo::quintel::testing {

class DialogTest : public ::testing::Test {
  protected:
    DialogTest();
    ~DialogTest() override;

    std::shared_ptr<test::RecordingDevice> plug(
        const hub::HubOptions& options = {}, std::shared_ptr<const hub::HubClock> clock = nullptr);

    // Makes the window, runs its start-up and shows it at a fixed size.
    void open();
    CQuintelDlg& dialog() { return *dialog_; }
    const ChannelConfig& channel(std::size_t c) const;
    const QnChannelSettings& sent(std::size_t c) const;

    template <typename Widget>
    Widget* control(int id) {
        auto* widget = qobject_cast<Widget*>(dialog_->Control(id));
        EXPECT_NE(widget, nullptr) << "control " << id;
        return widget;
    }

    QString cellText(int id);

    // A press and release on the upper or lower half of a spin button; the step itself waits for
    // the event loop, which `settle` runs.
    void pressSpin(int id, bool up);
    void clickSpin(int id, bool up, int times = 1);
    void click(int id);
    // A click on a check box's indicator.
    void tick(int id);
    void choose(int listId, int index);
    void typeInto(int id, const QString& text);
    // Runs the event loop until nothing is waiting.
    static void settle();

    // Answers the next message box with `button` once it is up; its text is kept.
    void answerMessage(QMessageBox::StandardButton button);
    QString lastMessage;

    // The first visible top-level window of type Window other than the main window.
    template <typename Window>
    static Window* shownWindow() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<Window*>(window); found && found->isVisible()) {
                return found;
            }
        }
        return nullptr;
    }

    ProgramRegistry registry_;
    CZoqnHelper binder_;
    std::unique_ptr<kernel::Machine> machine_;
    ImmediateSplashTimer splash_;
    QuintelDlgOptions options_;
    int manualOpened_ = 0;
    std::unique_ptr<CQuintelDlg> dialog_;
};

}  // namespace zo::quintel::testing

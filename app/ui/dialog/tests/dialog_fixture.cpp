#include "app/ui/dialog/tests/dialog_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QStyleOptionButton>
#include <QTest>

#include "app/core/settings_keys.h"
#include "app/ui/dig_edit.h"
#include "app/ui/spin_btn.h"

namespace zo::quintel::testing {
namespace {

constexpr QSize kWindowSize{1100, 560};
constexpr int kMessageTries = 5000;

}  // namespace

DialogTest::DialogTest()
    : machine_(std::make_unique<kernel::Machine>(
          kernel::MachineOptions{DriverEntry, kernel::BusCompletion::Immediate, 0x600, {}, {}})) {
    CreateUserSettingsKey();
    options_.splashTimer = &splash_;
    options_.measurementPause = std::chrono::milliseconds(1);
    options_.openManual = [this] { ++manualOpened_; };
}

DialogTest::~DialogTest() {
    dialog_.reset();
    settle();
    CZoqnHelper::UnloadDriver();
    for (kernel::UsbPort* port : machine_->bus().ports()) {
        machine_->pnp().unplug(port->number());
    }
}

std::shared_ptr<test::RecordingDevice> DialogTest::plug(
    const hub::HubOptions& options, std::shared_ptr<const hub::HubClock> clock) {
    auto hub = std::make_shared<test::RecordingDevice>(options, std::move(clock));
    machine_->pnp().plugIn(hub);
    return hub;
}

void DialogTest::open() {
    dialog_ = std::make_unique<CQuintelDlg>(options_);
    dialog_->resize(kWindowSize);
    dialog_->Initialise();
    dialog_->show();
    settle();
}

const ChannelConfig& DialogTest::channel(std::size_t c) const {
    return dialog_->Editor().Config().channels[c];
}

const QnChannelSettings& DialogTest::sent(std::size_t c) const {
    return dialog_->Editor().Device().settings().channels[c];
}

QString DialogTest::cellText(int id) {
    return control<CDigEdit>(id)->text();
}

void DialogTest::pressSpin(int id, bool up) {
    auto* spin = control<CSpinBtn>(id);
    const QPoint at(spin->width() / 2, up ? 1 : spin->height() - 2);
    QTest::mouseClick(spin, Qt::LeftButton, {}, at);
}

void DialogTest::clickSpin(int id, bool up, int times) {
    for (int i = 0; i < times; ++i) {
        pressSpin(id, up);
        settle();
    }
}

void DialogTest::click(int id) {
    QTest::mouseClick(control<QAbstractButton>(id), Qt::LeftButton);
    settle();
}

void DialogTest::tick(int id) {
    auto* box = control<QCheckBox>(id);
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator =
        box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
    settle();
}

void DialogTest::choose(int listId, int index) {
    auto* list = control<QComboBox>(listId);
    list->showPopup();
    settle();
    QAbstractItemView* view = list->view();
    const QRect item = view->visualRect(list->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    settle();
    EXPECT_EQ(list->currentIndex(), index) << "list " << listId;
}

void DialogTest::typeInto(int id, const QString& text) {
    auto* edit = control<QLineEdit>(id);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    settle();
}

void DialogTest::settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void DialogTest::answerMessage(QMessageBox::StandardButton button) {
    // Looks for the box from the event loop until it is up: it may come after other windows.
    auto* poll = new QTimer(dialog_ ? static_cast<QObject*>(dialog_.get()) : qApp);
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, poll, [this, poll, button, tries = 0]() mutable {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            if (++tries > kMessageTries) {
                poll->deleteLater();
                poll->stop();
            }
            return;
        }
        lastMessage = box->text();
        poll->deleteLater();
        poll->stop();
        box->button(button)->click();
    });
    poll->start();
}

}  // namespace zo::quintel::testing

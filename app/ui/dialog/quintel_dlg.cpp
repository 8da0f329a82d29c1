#include "app/ui/dialog/quintel_dlg.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include "app/core/editor/control_ids.h"
#include "app/core/editor/digit_rows.h"
#include "app/core/resource_ids.h"
#include "app/core/string_ids.h"
#include "app/ui/about_dlg.h"
#include "app/ui/control_id.h"
#include "app/ui/diagram/time_wnd.h"
#include "app/ui/dig_edit.h"
#include "app/ui/language_dlg.h"
#include "app/ui/resource_lookup.h"
#include "app/ui/spin_btn.h"
#include "app/ui/splash_wnd.h"

namespace zo::quintel {
namespace {

constexpr QSize kFirstSize{1100, 560};

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CQuintelDlg::CQuintelDlg(QuintelDlgOptions options, QWidget* parent)
    : QDialog(parent),
      options_(std::move(options)),
      controls_(BuildQuintelDlgControls(*this)),
      editor_(*this, options_.measurementPause) {
    setWindowTitle(ResourceText(ids::kMainCaption));
    setWindowIcon(ResourceIcon(res::kAppIcon));
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    controls_.diagram->SetConfig(&editor_.Config());
    BuildMenu();
    ConnectControls();
    // Until the user's placement applies: room for a diagram about as wide as the editor.
    resize(sizeHint().expandedTo(kFirstSize));
}

CQuintelDlg::~CQuintelDlg() {
    editor_.Shutdown();
}

void CQuintelDlg::Initialise() {
    editor_.Initialise();
}

QWidget* CQuintelDlg::Control(int id) const {
    const auto found = controls_.byId.find(id);
    return found != controls_.byId.end() ? found->second : nullptr;
}

template <typename Widget>
Widget* CQuintelDlg::Find(int id) const {
    return qobject_cast<Widget*>(Control(id));
}

void CQuintelDlg::BuildMenu() {
    menuBar_ = new QMenuBar(this);
    QMenu* help = menuBar_->addMenu(ResourceText(ids::kMenuHelp));
    QAction* manual = help->addAction(ResourceText(ids::kMenuManual));
    manual->setData(kManualCommand);
    manual->setShortcut(QKeySequence::HelpContents);
    manual->setShortcutContext(Qt::WindowShortcut);
    addAction(manual);
    connect(manual, &QAction::triggered, this, [this] {
        if (options_.openManual) {
            options_.openManual();
        }
    });
    help->addSeparator();
    QAction* language = help->addAction(ResourceText(ids::kMenuLanguage));
    language->setData(kLanguageCommand);
    connect(language, &QAction::triggered, this, [this] { editor_.OnLanguageCommand(); });
    QAction* about = help->addAction(ResourceText(ids::kMenuAbout));
    about->setData(kAboutCommand);
    connect(about, &QAction::triggered, this, [this] { editor_.OnAboutCommand(); });
    controls_.layout->setMenuBar(menuBar_);
}

void CQuintelDlg::ConnectControls() {
    const auto onList = [this](int id, auto handler) {
        connect(Find<QComboBox>(id), &QComboBox::activated, this, handler);
    };
    const auto onCheck = [this](int id, auto handler) {
        connect(Find<QAbstractButton>(id), &QAbstractButton::clicked, this, handler);
    };
    const auto itemData = [this](int id, int index) {
        return Find<QComboBox>(id)->itemData(index).toUInt();
    };

    onList(ctl::kChannelList, [this](int index) { editor_.OnChannelSelected(index); });
    connect(Find<QLineEdit>(ctl::kLabelEdit), &QLineEdit::textEdited, this,
            [this](const QString& text) { editor_.OnLabelEdited(text.toStdString()); });
    onList(ctl::kModeList, [this](int index) { editor_.OnModeSelected(index); });
    onCheck(ctl::kInvertCheck, [this](bool on) { editor_.OnInvertClicked(on); });
    onCheck(ctl::kExternalInvertCheck, [this](bool on) { editor_.OnExternalInvertClicked(on); });
    onCheck(ctl::kGateInvertCheck, [this](bool on) { editor_.OnGateInvertClicked(on); });
    onList(ctl::kExternalSourceList, [this, itemData](int index) {
        editor_.OnExternalSourceSelected(itemData(ctl::kExternalSourceList, index));
    });
    onList(ctl::kGateSourceList, [this, itemData](int index) {
        editor_.OnGateSourceSelected(itemData(ctl::kGateSourceList, index));
    });
    for (int id :
         {ctl::kRate1UnitList, ctl::kWidth1UnitList, ctl::kRate2UnitList, ctl::kWidth2UnitList}) {
        onList(id, [this, id](int index) { editor_.OnUnitSelected(id, index); });
    }
    for (const DigitRow& row : kDigitRows) {
        for (int digit = 0; digit < row.cells; ++digit) {
            connect(Find<CSpinBtn>(row.Spin(digit)), &CSpinBtn::spinDigit, this,
                    [this](bool up, CSpinBtn* spin) { editor_.OnSpinDigit(up, ControlId(*spin)); });
        }
    }
    onCheck(ctl::kDelayReset, [this] { editor_.OnDelayReset(); });
    for (int k = 0; k < 8; ++k) {
        onCheck(ctl::OutputButton(k), [this, k] { editor_.ToggleOutput(k); });
        onCheck(ctl::LockCheck(k), [this, k](bool on) { editor_.OnLockClicked(k, on); });
    }
    onCheck(ctl::kMeasureACheck,
            [this](bool on) { editor_.OnMeasureClicked(ExternalInput::kA, on); });
    onCheck(ctl::kMeasureBCheck,
            [this](bool on) { editor_.OnMeasureClicked(ExternalInput::kB, on); });
    onCheck(ctl::kAutoTimeBaseCheck, [this](bool on) { editor_.OnAutoTimeBaseClicked(on); });
    connect(Find<QLineEdit>(ctl::kTimeBaseEdit), &QLineEdit::textEdited, this,
            [this](const QString& text) { editor_.OnTimeBaseEdited(text.toStdString()); });
}

void CQuintelDlg::reject() {
    if (editor_.ConfirmClose()) {
        editor_.Shutdown();
        QDialog::reject();
    }
}

void CQuintelDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void CQuintelDlg::ShowControl(int id, bool shown) {
    if (QWidget* control = Control(id)) {
        control->setVisible(shown);
    }
}

void CQuintelDlg::EnableControl(int id, bool enabled) {
    if (QWidget* control = Control(id)) {
        control->setEnabled(enabled);
        if (auto* spin = qobject_cast<CSpinBtn*>(control)) {
            spin->SetActive(enabled);
        }
    }
}

void CQuintelDlg::SetText(int id, const std::string& text) {
    QWidget* control = Control(id);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(Utf8(text));
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(Utf8(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(Utf8(text));
    }
}

void CQuintelDlg::SetCheck(int id, bool checked) {
    if (auto* button = Find<QAbstractButton>(id)) {
        button->setChecked(checked);
    }
}

void CQuintelDlg::FillList(int id, const ListItems& items) {
    if (auto* list = Find<QComboBox>(id)) {
        list->clear();
        for (const ListItem& item : items) {
            list->addItem(Utf8(item.text), item.data);
        }
        list->setCurrentIndex(-1);
    }
}

void CQuintelDlg::SelectListItem(int id, int index) {
    if (auto* list = Find<QComboBox>(id)) {
        list->setCurrentIndex(index);
    }
}

void CQuintelDlg::SetValue(int id, double value) {
    if (auto* cell = Find<CDigEdit>(id)) {
        cell->SetValue(value);
    }
}

void CQuintelDlg::SetLit(int id, bool lit) {
    if (auto* cell = Find<CDigEdit>(id)) {
        cell->SetLit(lit);
    }
}

void CQuintelDlg::SetButtonState(int id, bool pressed, int iconId) {
    if (auto* button = Find<QAbstractButton>(id)) {
        button->setChecked(pressed);
        button->setIcon(ResourceIcon(iconId));
    }
}

void CQuintelDlg::SetDiagramTimeBase(bool automatic, std::int32_t timeBase) {
    controls_.diagram->SetTimeBase(automatic, timeBase);
}

std::int32_t CQuintelDlg::RedrawDiagram() {
    controls_.diagram->Refresh();
    return controls_.diagram->AutoRange();
}

void CQuintelDlg::ShowSplash() {
    if (options_.splashTimer != nullptr) {
        CSplashWnd::ShowSplash(res::kSplash, this, *options_.splashTimer);
    } else {
        CSplashWnd::ShowSplash(res::kSplash, this);
    }
}

MessageAnswer CQuintelDlg::ShowMessage(std::uint32_t textId, MessageButtons buttons) {
    QMessageBox box(QMessageBox::Warning, ResourceText(ids::kAppTitle), ResourceText(textId),
                    QMessageBox::NoButton, this);
    if (buttons == MessageButtons::kYesNo) {
        box.addButton(QMessageBox::Yes)->setText(ResourceText(ids::kButtonYes));
        box.addButton(QMessageBox::No)->setText(ResourceText(ids::kButtonNo));
    } else {
        box.addButton(QMessageBox::Ok)->setText(ResourceText(ids::kButtonOk));
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::kYes;
        case QMessageBox::No:
            return MessageAnswer::kNo;
        default:
            return buttons == MessageButtons::kYesNo ? MessageAnswer::kNo : MessageAnswer::kOk;
    }
}

void CQuintelDlg::MoveWindow(const WindowPos& pos) {
    setGeometry(pos.left, pos.top, pos.width, pos.height);
}

WindowPos CQuintelDlg::WindowPlacement() const {
    const QRect area = geometry();
    return {area.x(), area.y(), area.width(), area.height(), 0, 0};
}

std::optional<std::int32_t> CQuintelDlg::ChooseLanguage(const std::vector<std::int32_t>& languages,
                                                        std::int32_t current) {
    CLanguageDlg dialog(InstalledLanguageChoices(languages), current, this);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.ChosenIndex();
}

void CQuintelDlg::ShowAbout(const VersionInfo& info) {
    CAboutDlg dialog(Utf8(info.version), this);
    dialog.exec();
}

void CQuintelDlg::PostMeasurement(const MeasurementReadout& readout) {
    QMetaObject::invokeMethod(
        this, [this, readout] { editor_.ApplyMeasurement(readout); }, Qt::QueuedConnection);
}

}  // namespace zo::quintel

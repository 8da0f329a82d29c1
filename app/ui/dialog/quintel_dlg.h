#pragma once
// CQuintelDlg: the program's main window, titled "Kestrava Quintel Signal Generator". It shows the
// channel editor (app/core/editor) and passes every user action to it: it is the editor's view.
// A spin button's step arrives from the event loop after the click has been handled; the
// measurement worker's read-outs arrive as queued calls on this window's thread. The diagram
// computes its automatic time base at once when asked to redraw, so no handler runs the event
// loop.
//
// The commands of the window menu ("User Manual" F1, "Language...", "About Kestrava Quintel...")
// are in the menu bar, which is the platform's own menu where the platform has a global one.

#include <QDialog>
#include <chrono>
#include <functional>
#include <map>

#include "app/core/editor/channel_editor.h"
#include "app/core/editor/editor_view.h"
#include "app/ui/dialog/quintel_dlg_layout.h"
#include "app/ui/splash_timer.h"

class QMenuBar;

namespace zo::quintel {

struct QuintelDlgOptions {
    // Ends the splash; null: 2.5 s of the program's own timer.
    SplashTimer* splashTimer = nullptr;
    std::chrono::milliseconds measurementPause = MeasurementWorker::kPause;
    // The help command (F1): opens the manual.
    std::function<void()> openManual;
};

class CQuintelDlg : public QDialog, private EditorView {
    Q_OBJECT

  public:
    static constexpr int kManualCommand = 57670;
    static constexpr int kLanguageCommand = 15;
    static constexpr int kAboutCommand = 16;

    explicit CQuintelDlg(QuintelDlgOptions options = {}, QWidget* parent = nullptr);
    // Closes down as a close would, without asking.
    ~CQuintelDlg() override;

    // The start-up before the window is shown (ChannelEditor::Initialise).
    void Initialise();

    const ChannelEditor& Editor() const { return editor_; }
    QWidget* Control(int id) const;
    CTimeWnd* Diagram() const { return controls_.diagram; }
    QMenuBar* MenuBar() const { return menuBar_; }

  public slots:
    // Escape and the close box: with a device open only after the user confirmed.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // EditorView
    void ShowControl(int id, bool shown) override;
    void EnableControl(int id, bool enabled) override;
    void SetText(int id, const std::string& text) override;
    void SetCheck(int id, bool checked) override;
    void FillList(int id, const ListItems& items) override;
    void SelectListItem(int id, int index) override;
    void SetValue(int id, double value) override;
    void SetLit(int id, bool lit) override;
    void SetButtonState(int id, bool pressed, int iconId) override;
    void SetDiagramTimeBase(bool automatic, std::int32_t timeBase) override;
    std::int32_t RedrawDiagram() override;
    void ShowSplash() override;
    MessageAnswer ShowMessage(std::uint32_t textId, MessageButtons buttons) override;
    void MoveWindow(const WindowPos& pos) override;
    WindowPos WindowPlacement() const override;
    std::optional<std::int32_t> ChooseLanguage(const std::vector<std::int32_t>& languages,
                                               std::int32_t current) override;
    void ShowAbout(const VersionInfo& info) override;
    void PostMeasurement(const MeasurementReadout& readout) override;

    void ConnectControls();
    void BuildMenu();
    template <typename Widget>
    Widget* Find(int id) const;

    QuintelDlgOptions options_;
    QuintelDlgControls controls_;
    QMenuBar* menuBar_ = nullptr;
    ChannelEditor editor_;
};

}  // namespace zo::quintel

#pragma once
// What the channel editor needs of its window: controls addressed by their ids
// (app/core/editor/control_ids.h) that it shows, hides, enables, fills and reads nothing from (the
// window passes what the user did to the editor's handlers), the timing diagram, message boxes,
// the splash, the window's placement, the language and About dialogs, and a way to pass the
// measurement worker's read-outs to the user-interface thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/core/editor/editor_lists.h"
#include "app/core/editor/measurement_worker.h"
#include "app/core/version_info.h"
#include "app/core/window_pos.h"

namespace zo::quintel {

enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo };

class EditorView {
  public:
    virtual ~EditorView() = default;

    virtual void ShowControl(int id, bool shown) = 0;
    virtual void EnableControl(int id, bool enabled) = 0;
    virtual void SetText(int id, const std::string& text) = 0;
    virtual void SetCheck(int id, bool checked) = 0;
    // Empties a list and fills it with `items`; nothing is selected.
    virtual void FillList(int id, const ListItems& items) = 0;
    virtual void SelectListItem(int id, int index) = 0;
    // A digit cell or a frequency read-out.
    virtual void SetValue(int id, double value) = 0;
    virtual void SetLit(int id, bool lit) = 0;
    // A channel's output button: pressed or released, with the icon of resource `iconId`.
    virtual void SetButtonState(int id, bool pressed, int iconId) = 0;

    // The timing diagram's time base.
    virtual void SetDiagramTimeBase(bool automatic, std::int32_t timeBase) = 0;
    // Redraws the diagram and returns its automatic time base in µs as that repaint computes it.
    virtual std::int32_t RedrawDiagram() = 0;

    // Shows the splash and returns when it has closed.
    virtual void ShowSplash() = 0;
    // A message box with caption string 1 and the exclamation icon; `textId` is a string id.
    virtual MessageAnswer ShowMessage(std::uint32_t textId, MessageButtons buttons) = 0;
    virtual void MoveWindow(const WindowPos& pos) = 0;
    // Left, top, width and height of the window on the screen.
    virtual WindowPos WindowPlacement() const = 0;
    // The language dialog with the installed languages; the index chosen, none when cancelled.
    virtual std::optional<std::int32_t> ChooseLanguage(const std::vector<std::int32_t>& languages,
                                                       std::int32_t current) = 0;
    virtual void ShowAbout(const VersionInfo& info) = 0;

    // Called on the measurement worker's thread: passes the read-out to the user-interface
    // thread, which hands it to ChannelEditor::ApplyMeasurement.
    virtual void PostMeasurement(const MeasurementReadout& readout) = 0;
};

}  // namespace zo::quintel

#pragma once
// Test support: a window for the channel editor that keeps what the editor showed on each control
// and what it asked of the window, answers message boxes and the language dialog as the test
// scripts them, and queues the measurement worker's read-outs until the test hands them on.

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/core/editor/editor_view.h"

namespace zo::quintel::testing {

struct ControlState {
    bool shown = true;
    bool enabled = true;
    std::string text;
    bool checked = false;
    ListItems items;
    int selected = -1;
    double value = 0;
    bool lit = false;
    int icon = 0;
};

class RecordingView : public EditorView {
  public:
    // What the editor showed; a control it never touched has the defaults of ControlState.
    const ControlState& operator[](int id) { return controls_[id]; }

    // The digits a row's cells show, read as one number.
    std::uint64_t RowValue(int firstCell, int cells) {
        std::uint64_t value = 0;
        for (int digit = cells - 1; digit >= 0; --digit) {
            value = value * 10 + static_cast<std::uint64_t>(controls_[firstCell + digit].value);
        }
        return value;
    }

    void ShowControl(int id, bool shown) override { controls_[id].shown = shown; }
    void EnableControl(int id, bool enabled) override { controls_[id].enabled = enabled; }
    void SetText(int id, const std::string& text) override { controls_[id].text = text; }
    void SetCheck(int id, bool checked) override { controls_[id].checked = checked; }
    void FillList(int id, const ListItems& items) override {
        controls_[id].items = items;
        controls_[id].selected = -1;
    }
    void SelectListItem(int id, int index) override { controls_[id].selected = index; }
    void SetValue(int id, double value) override { controls_[id].value = value; }
    void SetLit(int id, bool lit) override { controls_[id].lit = lit; }
    void SetButtonState(int id, bool pressed, int iconId) override {
        controls_[id].checked = pressed;
        controls_[id].icon = iconId;
    }

    void SetDiagramTimeBase(bool automatic, std::int32_t timeBase) override {
        diagramAutomatic = automatic;
        diagramTimeBase = timeBase;
    }
    std::int32_t RedrawDiagram() override {
        ++redraws;
        return autoRange;
    }

    void ShowSplash() override { ++splashes; }
    MessageAnswer ShowMessage(std::uint32_t textId, MessageButtons buttons) override {
        messages.push_back(textId);
        return buttons == MessageButtons::kYesNo ? yesNoAnswer : MessageAnswer::kOk;
    }
    void MoveWindow(const WindowPos& pos) override { movedTo = pos; }
    WindowPos WindowPlacement() const override { return placement; }
    std::optional<std::int32_t> ChooseLanguage(const std::vector<std::int32_t>& languages,
                                               std::int32_t current) override {
        offeredLanguages = languages;
        offeredCurrent = current;
        return chosenLanguage;
    }
    void ShowAbout(const VersionInfo& info) override { about = info; }

    void PostMeasurement(const MeasurementReadout& readout) override {
        std::lock_guard lock(mutex_);
        readouts_.push_back(readout);
    }
    std::size_t PostedMeasurements() {
        std::lock_guard lock(mutex_);
        return posted_ + readouts_.size();
    }
    // The oldest read-out not yet taken.
    std::optional<MeasurementReadout> TakeMeasurement() {
        std::lock_guard lock(mutex_);
        if (readouts_.empty()) {
            return std::nullopt;
        }
        const MeasurementReadout readout = readouts_.front();
        readouts_.pop_front();
        ++posted_;
        return readout;
    }

    // Scripted answers.
    MessageAnswer yesNoAnswer = MessageAnswer::kYes;
    std::optional<std::int32_t> chosenLanguage;
    std::int32_t autoRange = 0;
    WindowPos placement{10, 20, 900, 600, 0, 0};

    // What the editor asked.
    int splashes = 0;
    int redraws = 0;
    std::vector<std::uint32_t> messages;
    bool diagramAutomatic = true;
    std::int32_t diagramTimeBase = -1;
    std::optional<WindowPos> movedTo;
    std::vector<std::int32_t> offeredLanguages;
    std::int32_t offeredCurrent = -1;
    std::optional<VersionInfo> about;

  private:
    std::map<int, ControlState> controls_;
    std::mutex mutex_;
    std::deque<MeasurementReadout> readouts_;
    std::size_t posted_ = 0;
};

}  // namespace zo::quintel::testing

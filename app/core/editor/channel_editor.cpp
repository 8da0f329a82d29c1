// The editor's start-up and close, the measurement read-outs and the commands of the window menu.

#include "app/core/editor/channel_editor.h"

#include <array>
#include <string>

#include "app/core/device_config_storage.h"
#include "app/core/editor/control_ids.h"
#include "app/core/language_index.h"
#include "app/core/languages.h"
#include "app/core/string_ids.h"
#include "app/core/zoqn_helper.h"

namespace zo::quintel {
namespace {

constexpr std::uint32_t kConfigIndex = 0;
constexpr std::size_t kDeviceRecords = 10;
constexpr std::size_t kLanguageListCapacity = 32;
constexpr std::uint32_t kAllOutputs = 0xFF;

bool AnyExternalClockOn(const DeviceConfig& config) {
    for (const ChannelConfig& channel : config.channels) {
        if (channel.mode == kModeExternal && channel.outputOn != 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

ChannelEditor::ChannelEditor(EditorView& view, std::chrono::milliseconds measurementPause)
    : view_(view),
      display_(view),
      worker_(
          device_, [&view](const MeasurementReadout& readout) { view.PostMeasurement(readout); },
          measurementPause) {
    SetDefaultConfig(config_);
}

void ChannelEditor::Initialise() {
    view_.ShowSplash();
    display_.FillFixedLists();
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        display_.SetChannelButton(k, false);
    }

    LoadDriver();
    LoadDeviceConfig(config_, kConfigIndex);
    // Every run starts with all outputs off.
    for (ChannelConfig& channel : config_.channels) {
        channel.outputOn = 0;
    }
    OpenFirstDevice();
    if (device_.m_bOpen) {
        worker_.Start();
    } else {
        for (int k = 0; k < static_cast<int>(kChannelCount); ++k) {
            view_.EnableControl(ctl::OutputButton(k), false);
        }
        for (int id : {ctl::kChannelList, ctl::kMeasureACheck, ctl::kMeasureBCheck}) {
            view_.EnableControl(id, false);
        }
    }

    view_.SelectListItem(ctl::kChannelList, static_cast<int>(CurrentIndex()));
    display_.LightDigits(false);
    LoadChannel(CurrentIndex());
    for (int id : {ctl::kFrequencyADisplay, ctl::kFrequencyBDisplay}) {
        view_.SetValue(id, 0.0);
        view_.SetLit(id, false);
    }

    const bool automatic = config_.autoTimeBase != 0;
    view_.SetCheck(ctl::kAutoTimeBaseCheck, automatic);
    view_.SetText(ctl::kTimeBaseEdit, std::to_string(config_.timeBase));
    view_.EnableControl(ctl::kTimeBaseEdit, !automatic);
    view_.SetDiagramTimeBase(automatic, static_cast<std::int32_t>(config_.timeBase));

    for (std::size_t k = 0; k < kChannelCount; ++k) {
        view_.SetCheck(ctl::LockCheck(static_cast<int>(k)), config_.channels[k].locked != 0);
    }
    if (const WindowPos pos = ReadWindowPos(); HasUsableSize(pos)) {
        view_.MoveWindow(pos);
    }
}

void ChannelEditor::OpenFirstDevice() {
    std::array<QnDeviceRecord, kDeviceRecords> records{};
    std::uint32_t count = records.size();
    if (EnumDevices(records.data(), &count) != QN_OK || count == 0) {
        return;
    }
    if (device_.Open(static_cast<std::uint32_t>(records[0].id)) != QN_OK) {
        return;
    }
    device_.ReadDeviceSettings();
    device_.ApplyConfiguration(config_);
    device_.m_bOpen = true;
    if (device_.GetSpeedCode() < kHighSpeedCode) {
        view_.ShowMessage(ids::kFullSpeedPort, MessageButtons::kOk);
    }
}

bool ChannelEditor::ConfirmClose() {
    return !device_.m_bOpen ||
           view_.ShowMessage(ids::kConfirmQuit, MessageButtons::kYesNo) == MessageAnswer::kYes;
}

void ChannelEditor::Shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    worker_.Stop();
    device_.CloseOutputs(kAllOutputs);
    device_.Close();
    device_.m_bOpen = false;
    SaveDeviceConfig(config_, kConfigIndex);
    UnloadDriver();
    WriteWindowPos(view_.WindowPlacement());
}

void ChannelEditor::ApplyMeasurement(const MeasurementReadout& readout) {
    // A read-out still on its way when the window closed changes nothing.
    if (shutDown_) {
        return;
    }
    config_.measuredPeriodA = readout.periodA;
    config_.measuredPeriodB = readout.periodB;
    view_.SetValue(ctl::kFrequencyADisplay, FrequencyOfPeriod(readout.periodA));
    view_.SetValue(ctl::kFrequencyBDisplay, FrequencyOfPeriod(readout.periodB));
    // Channels on an external clock are drawn in cycles of the measured input.
    if (readout.changed && AnyExternalClockOn(config_)) {
        RefreshDiagram();
    }
}

void ChannelEditor::OnMeasureClicked(ExternalInput input, bool checked) {
    worker_.SetMeasured(input, checked);
    view_.SetLit(input == ExternalInput::kA ? ctl::kFrequencyADisplay : ctl::kFrequencyBDisplay,
                 checked);
}

void ChannelEditor::OnLanguageCommand() {
    const std::int32_t current = ReadLanguageIndex();
    const std::vector<std::int32_t> languages = BuildLanguageList(kLanguageListCapacity);
    const std::optional<std::int32_t> chosen = view_.ChooseLanguage(languages, current);
    if (chosen && *chosen != current) {
        view_.ShowMessage(ids::kRestartForLanguage, MessageButtons::kOk);
        WriteLanguageIndex(*chosen);
    }
}

void ChannelEditor::OnAboutCommand() {
    view_.ShowAbout(ReadVersionInfo());
}

}  // namespace zo::quintel

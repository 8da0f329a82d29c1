#pragma once
// The channel editor: the state changes and device calls behind the program's main window. It owns
// the channel configuration record, the device object and the measurement worker; the window
// (an EditorView) shows what the editor tells it and calls a handler for everything the user does.
// Every handler runs on the user-interface thread and leaves the record consistent before it
// redraws the diagram, which is always its last step.
//
// Every edit goes to the hub at once: the changed parameters are written into the device object's
// settings and, while any output is on, handed to the library, which uploads only the channels
// that changed; the outputs that are on restart in step. The statuses of device calls made while
// editing are not examined: the record keeps the user's value and the device follows as far as it
// can. Without a device the editor and the diagram work on their own.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/core/device_config.h"
#include "app/core/editor/channel_display.h"
#include "app/core/editor/editor_view.h"
#include "app/core/editor/measurement_worker.h"
#include "app/core/editor/value_step.h"
#include "app/core/hub_device.h"

namespace zo::quintel {

class ChannelEditor {
  public:
    explicit ChannelEditor(EditorView& view,
                           std::chrono::milliseconds measurementPause = MeasurementWorker::kPause);
    ChannelEditor(const ChannelEditor&) = delete;
    ChannelEditor& operator=(const ChannelEditor&) = delete;

    // The record the window's diagram draws; it lives as long as the editor.
    const DeviceConfig& Config() const { return config_; }
    const CHubDevice& Device() const { return device_; }
    bool DeviceOpen() const { return device_.m_bOpen; }

    // Start-up, once the window exists and before it is shown: the splash, the lists, the device
    // (the first hub found, configured with the stored record; a warning when it is not on a
    // Hi-Speed port), the measurement worker, the current channel, the time base, the lock flags
    // and the saved window placement. Without a device the output buttons, the channel list and
    // the measurement check boxes are disabled.
    void Initialise();
    // Whether the window may close: with a device open only when the user confirms.
    bool ConfirmClose();
    // When the window closes: stops the measurement worker, closes all outputs and the device,
    // saves the record and the window placement and unloads the library. Runs once.
    void Shutdown();

    // The user's actions.
    void OnChannelSelected(int channel);
    void OnLabelEdited(std::string_view text);
    void OnModeSelected(int mode);
    void OnInvertClicked(bool checked);
    void OnExternalInvertClicked(bool checked);
    void OnGateInvertClicked(bool checked);
    void OnExternalSourceSelected(std::uint32_t source);
    void OnGateSourceSelected(std::uint32_t source);
    // A unit list (ctl::kRate1UnitList … ctl::kWidth2UnitList): the row is shown in that unit.
    void OnUnitSelected(int listId, int index);
    // A click on the upper (up) or lower half of spin button `spinId`.
    void OnSpinDigit(bool up, int spinId);
    void OnDelayReset();
    // The output button of `channel`: its lock group on or off.
    void ToggleOutput(int channel);
    void OnLockClicked(int channel, bool checked);
    void OnMeasureClicked(ExternalInput input, bool checked);
    void OnAutoTimeBaseClicked(bool checked);
    void OnTimeBaseEdited(std::string_view text);
    void OnLanguageCommand();
    void OnAboutCommand();

    // A read-out of the measurement worker, on the user-interface thread: the measured periods go
    // into the record and the read-outs show their frequencies; the diagram is redrawn when a
    // period changed while a channel on an external clock is on.
    void ApplyMeasurement(const MeasurementReadout& readout);

  private:
    ChannelConfig& Current() { return config_.channels[config_.currentChannel]; }
    std::uint32_t CurrentIndex() const { return config_.currentChannel; }

    void OpenFirstDevice();
    void LoadChannel(std::size_t channel);
    // One setting of the current channel to the device, when one is open: a mode (QN_PARAM_MODE,
    // the whole channel set-up), a delay, or any other parameter.
    void SendChannelParameter(std::uint32_t id, std::uint32_t value);
    void SendStep(DeviceStep step);
    void RefreshDiagram();

    EditorView& view_;
    ChannelDisplay display_;
    DeviceConfig config_{};
    CHubDevice device_;
    MeasurementWorker worker_;  // after the device: it stops before the device closes
    bool shutDown_ = false;
};

}  // namespace zo::quintel

// The editor's handlers of the user's edits, and how each reaches the device and the diagram.

#include <charconv>
#include <limits>
#include <optional>
#include <string>

#include "app/core/config_limits.h"
#include "app/core/editor/channel_editor.h"
#include "app/core/editor/control_ids.h"
#include "app/core/editor/lock_group.h"
#include "app/core/editor/mode_layout.h"

namespace zo::quintel {
namespace {

constexpr std::uint32_t kAllOutputs = 0xFF;

// The text cut to fit the label's 63 bytes, never inside a UTF-8 character.
void CopyLabel(ChannelConfig& channel, std::string_view text) {
    std::size_t length = std::min(text.size(), channel.label.size() - 1);
    const auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    while (length > 0 && length < text.size() && continuation(text[length])) {
        --length;
    }
    channel.label.fill('\0');
    text.copy(channel.label.data(), length);
}

// A typed time base: decimal digits after optional leading spaces, and nothing else.
std::optional<std::uint32_t> ParseTimeBase(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool IsUnitIndex(int index) {
    return index == 0 || index == 1;
}

}  // namespace

void ChannelEditor::LoadChannel(std::size_t channel) {
    ChannelConfig& config = config_.channels[channel];
    if (config.mode == kModeExternal) {
        // An external clock is edited as a period in clock cycles with a duty cycle.
        config.rate1Unit = kRateAsPeriod;
        config.width1Unit = kWidthAsDuty;
    }
    display_.ShowChannel(config, channel);
}

void ChannelEditor::OnChannelSelected(int channel) {
    if (channel < 0 || channel >= static_cast<int>(kChannelCount)) {
        return;
    }
    config_.currentChannel = static_cast<std::uint32_t>(channel);
    LoadChannel(CurrentIndex());
    display_.LightDigits(Current().outputOn != 0);
    RefreshDiagram();
}

void ChannelEditor::OnLabelEdited(std::string_view text) {
    CopyLabel(Current(), text);
}

void ChannelEditor::OnModeSelected(int mode) {
    if (mode < 0 || mode > static_cast<int>(kLastProgramMode)) {
        return;
    }
    ChannelConfig& channel = Current();
    channel.mode = static_cast<std::uint32_t>(mode);
    // The shortest period depends on the mode: cycles of an external clock may be fewer than the
    // microseconds an internal one allows.
    ClampChannelConfig(channel);
    LoadChannel(CurrentIndex());
    SendChannelParameter(QN_PARAM_MODE, channel.mode);
    RefreshDiagram();
}

void ChannelEditor::OnInvertClicked(bool checked) {
    Current().invert = checked ? 1 : 0;
    SendChannelParameter(QN_PARAM_INVERT, Current().invert);
    RefreshDiagram();
}

void ChannelEditor::OnExternalInvertClicked(bool checked) {
    Current().extInvert = checked ? 1 : 0;
    SendChannelParameter(QN_PARAM_EXT_INVERT, Current().extInvert);
    RefreshDiagram();
}

void ChannelEditor::OnGateInvertClicked(bool checked) {
    Current().gateInvert = checked ? 1 : 0;
    SendChannelParameter(QN_PARAM_GATE_INVERT, Current().gateInvert);
    RefreshDiagram();
}

void ChannelEditor::OnExternalSourceSelected(std::uint32_t source) {
    if (source != 1 && source != 2) {
        return;
    }
    Current().extSource = source;
    SendChannelParameter(QN_PARAM_EXT_SOURCE, source);
    RefreshDiagram();
}

void ChannelEditor::OnGateSourceSelected(std::uint32_t source) {
    // A channel is never its own gate: its list does not offer it.
    if (source > kLastSource || source == 3 + CurrentIndex()) {
        return;
    }
    Current().gateSource = source;
    SendChannelParameter(QN_PARAM_GATE_SOURCE, source);
    RefreshDiagram();
}

void ChannelEditor::OnUnitSelected(int listId, int index) {
    ChannelConfig& channel = Current();
    const auto unit = static_cast<std::uint32_t>(index);
    // The external clock's units are fixed, and the bursts' row 4 offers only the number of
    // pulses, whose selection must not change the second width's unit.
    const bool external = channel.mode == kModeExternal;
    if (!IsUnitIndex(index)) {
        return;
    }
    switch (listId) {
        case ctl::kRate1UnitList:
            if (!external) {
                channel.rate1Unit = unit;
                display_.ShowRow(channel, DigitRowId::kRate1);
            }
            break;
        case ctl::kWidth1UnitList:
            if (!external) {
                channel.width1Unit = unit;
                display_.ShowRow(channel, DigitRowId::kWidth1);
            }
            break;
        case ctl::kRate2UnitList:
            channel.rate2Unit = unit;
            display_.ShowRow(channel, DigitRowId::kRate2);
            break;
        case ctl::kWidth2UnitList:
            if (!ShowsPulseCount(channel.mode)) {
                channel.width2Unit = unit;
                display_.ShowRow(channel, DigitRowId::kWidth2);
            }
            break;
        default:
            break;
    }
}

void ChannelEditor::OnSpinDigit(bool up, int spinId) {
    const std::optional<DigitPosition> position = DigitOfSpin(spinId);
    if (!position) {
        return;
    }
    device_.SwitchOutputs(config_, false);
    ChannelConfig& channel = Current();
    const DeviceStep step = StepChannelValue(channel, *position, up);
    display_.ShowRow(channel, position->row);
    // A new rate may have lowered the width that goes with it.
    if (position->row == DigitRowId::kRate1) {
        display_.ShowRow(channel, DigitRowId::kWidth1);
    } else if (position->row == DigitRowId::kRate2) {
        display_.ShowRow(channel, DigitRowId::kWidth2);
    }
    SendStep(step);
    if (CHubDevice::AnyOutputOn(config_)) {
        device_.RefreshDeviceSettings();
    }
    device_.SwitchOutputs(config_, true);
    RefreshDiagram();
}

void ChannelEditor::SendStep(DeviceStep step) {
    const std::uint32_t c = CurrentIndex();
    const ChannelConfig& channel = Current();
    switch (step) {
        case DeviceStep::kTiming1:
            device_.ApplyTiming(c, channel.mode, channel.period1, channel.width1, false);
            break;
        case DeviceStep::kTiming2:
            device_.ApplyTiming(c, channel.mode, channel.period2, channel.width2, true);
            break;
        case DeviceStep::kPulseCount:
            device_.SetParameter(c, QN_PARAM_PULSE_COUNT, channel.pulseCount);
            break;
        case DeviceStep::kDelay:
            device_.ApplyDelay(c, channel.mode, QN_PARAM_DELAY, channel.delay);
            break;
    }
}

void ChannelEditor::OnDelayReset() {
    Current().delay = 0;
    SendChannelParameter(QN_PARAM_DELAY, 0);
    display_.ShowRow(Current(), DigitRowId::kDelay);
    RefreshDiagram();
}

void ChannelEditor::SendChannelParameter(std::uint32_t id, std::uint32_t value) {
    if (!device_.m_bOpen) {
        return;
    }
    const std::uint32_t c = CurrentIndex();
    device_.SwitchOutputs(config_, false);
    if (id == QN_PARAM_MODE) {
        device_.ApplyChannelMode(c, Current());
    } else if (id == QN_PARAM_DELAY || id == QN_PARAM_DELAY2) {
        device_.ApplyDelay(c, Current().mode, id, value);
    } else {
        device_.SetParameter(c, id, value);
    }
    if (CHubDevice::AnyOutputOn(config_)) {
        device_.RefreshDeviceSettings();
    }
    device_.SwitchOutputs(config_, true);
}

void ChannelEditor::ToggleOutput(int channel) {
    if (channel < 0 || channel >= static_cast<int>(kChannelCount)) {
        return;
    }
    const bool on = config_.channels[channel].outputOn == 0;
    const std::uint32_t group = OutputGroupMask(config_, static_cast<std::size_t>(channel));
    const auto members = [group](auto&& action) {
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            if ((group >> k & 1u) != 0) {
                action(k);
            }
        }
    };
    members([&](std::size_t k) {
        config_.channels[k].outputOn = on ? 1 : 0;
        if (k == CurrentIndex()) {
            display_.LightDigits(on);
        }
    });
    if (on) {
        // All outputs that are on open together, so running channels restart in step with the
        // new ones.
        device_.SwitchOutputs(config_, false);
        members([&](std::size_t k) { display_.SetChannelButton(k, true); });
        device_.RefreshDeviceSettings();
        device_.SwitchOutputs(config_, true);
    } else {
        // Only the group stops; the other running channels are not disturbed.
        device_.CloseOutputs(group & kAllOutputs);
        members([&](std::size_t k) { display_.SetChannelButton(k, false); });
    }
    RefreshDiagram();
}

void ChannelEditor::OnLockClicked(int channel, bool checked) {
    if (channel >= 0 && channel < static_cast<int>(kChannelCount)) {
        config_.channels[channel].locked = checked ? 1 : 0;
    }
}

void ChannelEditor::OnAutoTimeBaseClicked(bool checked) {
    config_.autoTimeBase = checked ? 1 : 0;
    view_.EnableControl(ctl::kTimeBaseEdit, !checked);
    view_.SetDiagramTimeBase(checked, static_cast<std::int32_t>(config_.timeBase));
    if (!checked) {
        view_.SetText(ctl::kTimeBaseEdit, std::to_string(config_.timeBase));
    }
    RefreshDiagram();
}

void ChannelEditor::OnTimeBaseEdited(std::string_view text) {
    if (config_.autoTimeBase != 0) {
        return;
    }
    const std::optional<std::uint32_t> value = ParseTimeBase(text);
    if (!value || *value == 0 || *value > std::numeric_limits<std::int32_t>::max() ||
        *value == config_.timeBase) {
        return;
    }
    config_.timeBase = *value;
    view_.SetDiagramTimeBase(false, static_cast<std::int32_t>(*value));
    RefreshDiagram();
}

void ChannelEditor::RefreshDiagram() {
    const std::int32_t range = view_.RedrawDiagram();
    if (config_.autoTimeBase == 0) {
        return;
    }
    view_.SetText(ctl::kTimeBaseEdit, std::to_string(static_cast<std::uint32_t>(range)));
    if (config_.timeBase == 0) {
        config_.timeBase = static_cast<std::uint32_t>(range);
    }
}

}  // namespace zo::quintel

#pragma once
// What the channel editor's window shows of the record: the current channel's label, mode,
// flags and sources, the controls its mode needs, the value rows digit by digit, the output
// buttons. It only writes to the view; what the user does comes back through ChannelEditor.

#include <cstddef>
#include <cstdint>

#include "app/core/device_config.h"
#include "app/core/editor/digit_rows.h"
#include "app/core/editor/editor_view.h"

namespace zo::quintel {

class ChannelDisplay {
  public:
    explicit ChannelDisplay(EditorView& view) : view_(view) {}

    // The lists whose items never change: channels, modes, the clock inputs of the "External"
    // mode and the units of the second rate.
    void FillFixedLists();

    // Everything of channel `channel`: label, mode, flags, sources, the controls of its mode and
    // every value row with the unit it is shown in.
    void ShowChannel(const ChannelConfig& config, std::size_t channel);

    // Shows the source selectors and value rows of `mode`, with its captions and unit lists.
    void ApplyModeLayout(std::uint32_t mode);

    // The digits of a row's value; spins (and cells) of digits that cannot be stepped in the unit
    // shown are disabled.
    void ShowRow(const ChannelConfig& config, DigitRowId row);

    // Every digit cell of the five rows bright (the channel's output is on) or dim.
    void LightDigits(bool on);

    void SetChannelButton(std::size_t channel, bool on);

  private:
    void ShowRowControls(DigitRowId row, bool shown);
    void EnableUpperDigits(DigitRowId row, int fromDigit, bool enabled);

    EditorView& view_;
};

}  // namespace zo::quintel

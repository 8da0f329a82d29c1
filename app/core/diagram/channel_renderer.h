#pragma once
// Turns one channel's configuration into its waveform, one level per plot column.

#include "app/core/device_config.h"
#include "app/core/diagram/column_array.h"

#include <cstddef>
#include <cstdint>

namespace zo::quintel {

// One pulse: high on [pos, end), low on [end, next), drawn so that every pulse and every gap stays
// visible. A pulse narrower than a column is one column wide; a pulse that leaves no room for its
// gap gets a one-column dip at its end and the column `next` (which may be the spare column past
// the plot) goes low.
void FillPulse(ColumnArray& columns, int pos, int end, int next);

// True when the channel is drawn as a flat low line instead of being rendered: its output is off,
// or what it runs on has nothing to show (the measured period of its external clock or of its gate
// or trigger input is 0, or its gating or triggering channel is off or does not exist). Modes
// "Start/Stop" and "Rate Switch" draw the same whatever their gate source.
bool IsDrawnFlat(const DeviceConfig& config, std::size_t channel);

// Renders channel `channel` over a time range of `timeRange` µs into all columns of `columns`.
// With `gate` given, a channel in mode "Internal" or "External" gated by another channel runs only
// where that channel's output is high (low with gate invert); `gate` is the scratch array for the
// gating channel's own waveform, which is rendered without gating. The channel's own output invert
// comes last.
void RenderChannel(const DeviceConfig& config, std::size_t channel, std::int32_t timeRange,
                   ColumnArray& columns, ColumnArray* gate);

}  // namespace zo::quintel

#pragma once
// The levels of the eight waveforms exactly as the diagram draws them, for the repaint and for
// anything that compares the picture with what the hub puts out.

#include "app/core/device_config.h"
#include "app/core/diagram/column_array.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zo::quintel {

// Renders waveforms into storage it keeps between calls, grown to the widest plot seen.
class DiagramRenderer {
  public:
    // The levels of `channel` over a plot of `columns` columns spanning `timeRange` µs: all low
    // when the channel is drawn flat, else rendered with gating. Valid until the next call.
    std::span<const std::uint8_t> ChannelLevels(const DeviceConfig& config, std::size_t channel,
                                                std::int32_t timeRange, int columns);

  private:
    ColumnArray m_columns;
    ColumnArray m_gate;
};

struct DiagramTrace {
    std::int32_t timeRange;  // µs
    int columns;
    std::array<std::vector<std::uint8_t>, kChannelCount> levels;  // 0 low, 1 high per column

    // Column k shows the time from k · MicrosecondsPerColumn() on; an edge at t µs lies in the
    // column nearest to t / MicrosecondsPerColumn(). 0 without a time range.
    double MicrosecondsPerColumn() const;
};

// The eight waveforms of `config` over a plot of `columns` columns spanning `timeRange` µs.
DiagramTrace TraceTimeDiagram(const DeviceConfig& config, std::int32_t timeRange, int columns);

}  // namespace zo::quintel

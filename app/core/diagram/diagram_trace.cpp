#include "app/core/diagram/diagram_trace.h"

#include "app/core/diagram/channel_renderer.h"

namespace zo::quintel {

std::span<const std::uint8_t> DiagramRenderer::ChannelLevels(const DeviceConfig& config,
                                                             std::size_t channel,
                                                             std::int32_t timeRange, int columns) {
    m_columns.Resize(columns);
    if (IsDrawnFlat(config, channel)) {
        m_columns.Fill(0, m_columns.Size(), 0);
    } else {
        RenderChannel(config, channel, timeRange, m_columns, &m_gate);
    }
    return m_columns.Levels();
}

double DiagramTrace::MicrosecondsPerColumn() const {
    if (timeRange <= 0 || columns <= 0) {
        return 0.0;
    }
    return static_cast<double>(timeRange) / columns;
}

DiagramTrace TraceTimeDiagram(const DeviceConfig& config, std::int32_t timeRange, int columns) {
    DiagramTrace trace{timeRange, columns, {}};
    DiagramRenderer renderer;
    for (std::size_t channel = 0; channel < kChannelCount; ++channel) {
        const auto levels = renderer.ChannelLevels(config, channel, timeRange, columns);
        trace.levels[channel].assign(levels.begin(), levels.end());
    }
    return trace;
}

}  // namespace zo::quintel

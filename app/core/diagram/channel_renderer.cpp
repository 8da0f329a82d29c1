#include "app/core/diagram/channel_renderer.h"

#include "app/core/diagram/column_scale.h"
#include "app/core/diagram/signal_sources.h"

#include <algorithm>
#include <limits>

namespace zo::quintel {
namespace {

constexpr std::uint64_t kNoPulseLimit = std::numeric_limits<std::uint64_t>::max();

// The lengths of one channel's waveform in columns.
struct PulseColumns {
    int delay;
    int period1;
    int width1;
    int period2;
    int width2;
};

PulseColumns ColumnsOf(const DeviceConfig& config, std::size_t channel, const ColumnScale& scale) {
    const ChannelConfig& c = config.channels[channel];
    PulseColumns result{};
    if (c.mode == kModeExternal) {
        // Delay, period and width count cycles of the measured input.
        const std::uint32_t inputPeriod = ExternalClockPeriod(config, channel);
        result.delay = scale.Col(CyclesToMicroseconds(inputPeriod, c.delay));
        result.period1 = std::max(scale.Col(CyclesToMicroseconds(inputPeriod, c.period1)), 2);
        result.width1 = std::max(scale.Col(CyclesToMicroseconds(inputPeriod, c.width1)), 1);
        if (result.width1 == result.period1) {
            result.width1 = result.period1 / 2;
        }
    } else {
        result.delay = scale.Col(c.delay / 10);
        result.period1 = std::max(scale.Col(c.period1), 2);
        result.width1 = std::max(scale.Col(c.width1), 1);
    }
    result.period2 = std::max(scale.Col(c.period2), 2);
    result.width2 = std::max(scale.Col(c.width2), 1);
    return result;
}

// Writes a waveform from left to right.
class WaveformWriter {
  public:
    explicit WaveformWriter(ColumnArray& columns) : m_columns(columns) {}

    int Pos() const { return m_pos; }
    void MoveTo(int pos) { m_pos = pos; }

    // Low from the current column up to `bound`; a bound at or before the current column writes
    // nothing and leaves it where it is.
    void LowUpTo(int bound) {
        m_columns.Fill(m_pos, bound, 0);
        m_pos = std::max(m_pos, bound);
    }

    // Pulses of `width` columns every `period` columns up to `end`, at most `limit` of them and at
    // least one when there is room for it.
    void Pulses(int end, int width, int period, std::uint64_t limit) {
        std::uint64_t count = 0;
        while (m_pos < end) {
            FillPulse(m_columns, m_pos, std::min(end, m_pos + width),
                      std::min(end, m_pos + period));
            m_pos += period;
            if (++count >= limit) {
                break;
            }
        }
    }

  private:
    ColumnArray& m_columns;
    int m_pos = 0;
};

// The columns after which a channel's trigger fires: the triggering channel's delay, plus its
// width when the trigger is inverted (the falling edge).
int TriggerOffset(const ChannelConfig& triggered, const ChannelConfig& trigger,
                  const ColumnScale& scale) {
    int offset = scale.Col(trigger.delay / 10);
    if (triggered.gateInvert != 0) {
        offset += scale.Col(trigger.width1);
    }
    return offset;
}

void RenderRetriggeredBursts(const ChannelConfig& c, const ChannelConfig& trigger,
                             const PulseColumns& lengths, const ColumnScale& scale,
                             WaveformWriter& out) {
    const int n = scale.Columns();
    // A trigger faster than the plot resolves shows at the shortest period drawn for any train.
    const int triggerPeriod = std::max(scale.Col(trigger.period1), 2);
    const std::uint64_t pulses = std::max<std::uint64_t>(c.pulseCount, 1);
    out.LowUpTo(std::min(TriggerOffset(c, trigger, scale), n));
    const int repetitions = (n - out.Pos() + 1) / triggerPeriod + 1;
    for (int r = 0; r < repetitions; ++r) {
        const int segmentEnd = std::min(out.Pos() + triggerPeriod, n);
        out.LowUpTo(std::min(out.Pos() + lengths.delay, segmentEnd));
        out.Pulses(segmentEnd, lengths.width1, lengths.period1, pulses);
        out.LowUpTo(segmentEnd);
        out.MoveTo(segmentEnd);
    }
}

void RenderSingleBurst(const DeviceConfig& config, const ChannelConfig& c,
                       const PulseColumns& lengths, const ColumnScale& scale, WaveformWriter& out) {
    const int n = scale.Columns();
    int start = lengths.delay;
    if (const auto trigger = SourceChannel(c.gateSource); trigger && c.mode == kModeBurstSingle) {
        start += TriggerOffset(c, config.channels[*trigger], scale);
    }
    out.LowUpTo(std::min(start, n));
    out.Pulses(n, lengths.width1, lengths.period1, std::max<std::uint64_t>(c.pulseCount, 1));
    out.LowUpTo(n);
}

void RenderUngated(const DeviceConfig& config, std::size_t channel, const ColumnScale& scale,
                   ColumnArray& columns) {
    const ChannelConfig& c = config.channels[channel];
    const PulseColumns lengths = ColumnsOf(config, channel, scale);
    const int n = scale.Columns();
    WaveformWriter out(columns);
    switch (c.mode) {
        case kModeInternal:
        case kModeExternal:
        case kModeStartStop:
            out.LowUpTo(std::min(lengths.delay, n));
            out.Pulses(n, lengths.width1, lengths.period1, kNoPulseLimit);
            break;
        case kModeRateSwitch: {
            // Two pulses of rate 1, then rate 2 to the end.
            const int twoPeriods = 2 * lengths.period1;
            out.LowUpTo(std::min({lengths.delay, twoPeriods, n}));
            out.Pulses(std::min(out.Pos() + twoPeriods, n), lengths.width1, lengths.period1,
                       kNoPulseLimit);
            out.Pulses(n, lengths.width2, lengths.period2, kNoPulseLimit);
            break;
        }
        case kModeBurstRetriggered:
            if (const auto trigger = SourceChannel(c.gateSource)) {
                RenderRetriggeredBursts(c, config.channels[*trigger], lengths, scale, out);
            } else {
                RenderSingleBurst(config, c, lengths, scale, out);
            }
            break;
        case kModeBurstSingle:
            RenderSingleBurst(config, c, lengths, scale, out);
            break;
        default:
            break;  // an unknown mode stays low
    }
}

}  // namespace

void FillPulse(ColumnArray& columns, int pos, int end, int next) {
    int lowFrom = end;
    if (pos == end) {
        if (end == next) {
            return;
        }
        columns[pos] = 1;
        lowFrom = pos + 1;
    } else {
        columns.Fill(pos, end, 1);
    }
    if (end == next) {
        columns[next] = 0;
        if (end - 1 > pos) {
            columns[end - 1] = 0;
        }
    } else {
        columns.Fill(lowFrom, next, 0);
    }
}

bool IsDrawnFlat(const DeviceConfig& config, std::size_t channel) {
    const ChannelConfig& c = config.channels[channel];
    if (c.outputOn == 0) {
        return true;
    }
    if (c.mode == kModeExternal && (c.extSource == kSourceInputA || c.extSource == kSourceInputB) &&
        MeasuredInputPeriod(config, c.extSource) == 0) {
        return true;
    }
    if (c.mode == kModeStartStop || c.mode == kModeRateSwitch) {
        return false;
    }
    if (c.gateSource == kSourceInputA || c.gateSource == kSourceInputB) {
        return MeasuredInputPeriod(config, c.gateSource) == 0;
    }
    if (c.gateSource >= kSourceFirstChannel) {
        const auto source = SourceChannel(c.gateSource);
        return !source || config.channels[*source].outputOn == 0;
    }
    return false;
}

void RenderChannel(const DeviceConfig& config, std::size_t channel, std::int32_t timeRange,
                   ColumnArray& columns, ColumnArray* gate) {
    const ChannelConfig& c = config.channels[channel];
    const int n = columns.Size();
    const ColumnScale scale(n, timeRange);
    columns.Fill(0, n + 1, 0);
    RenderUngated(config, channel, scale, columns);

    const auto gatingChannel = SourceChannel(c.gateSource);
    if (gate != nullptr && gatingChannel && (c.mode == kModeInternal || c.mode == kModeExternal)) {
        gate->Resize(n);
        RenderChannel(config, *gatingChannel, timeRange, *gate, nullptr);
        const std::uint8_t open = c.gateInvert != 0 ? 0 : 1;
        for (int k = 0; k < n; ++k) {
            columns[k] = (columns[k] != 0 && ((*gate)[k] != 0 ? 1 : 0) == open) ? 1 : 0;
        }
    }
    if (c.invert != 0) {
        for (int k = 0; k < n; ++k) {
            columns[k] = columns[k] != 1 ? 1 : 0;
        }
    }
}

}  // namespace zo::quintel

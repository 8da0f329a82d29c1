#pragma once
// Records for the diagram tests: configurations with chosen channels on, waveforms as text, and a
// painter that keeps what it was asked to draw.

#include "app/core/device_config.h"
#include "app/core/diagram/diagram_painter.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zo::quintel::test {

// The default configuration: every channel off, in mode "Internal" at 100 Hz and half duty.
inline DeviceConfig DefaultConfig() {
    DeviceConfig config{};
    SetDefaultConfig(config);
    return config;
}

// Switches `channel` on in `mode` with period, width (µs) and delay (0.1 µs).
inline ChannelConfig& SetChannel(DeviceConfig& config, std::size_t channel, std::uint32_t mode,
                                 std::uint32_t period, std::uint32_t width,
                                 std::uint32_t delay = 0) {
    ChannelConfig& c = config.channels[channel];
    c.outputOn = 1;
    c.mode = mode;
    c.period1 = period;
    c.width1 = width;
    c.delay = delay;
    return c;
}

// Eight channels on, one in each mode and the gated, triggered and inverted cases among them, all
// visible within 8 ms, the automatic time range; channel 2 is current.
inline DeviceConfig EightChannelConfig() {
    DeviceConfig config = DefaultConfig();
    config.currentChannel = 2;
    config.measuredPeriodA = 1000;  // input A at 1 MHz
    SetChannel(config, 0, kModeInternal, 2000, 1000);
    SetChannel(config, 1, kModeInternal, 250, 100).gateSource = 3;  // runs while channel 0 is high
    SetChannel(config, 2, kModeExternal, 500, 250, 1000);           // input A cycles
    SetChannel(config, 3, kModeStartStop, 800, 400, 5000);
    ChannelConfig& rateSwitch = SetChannel(config, 4, kModeRateSwitch, 1000, 300);
    rateSwitch.period2 = 300;
    rateSwitch.width2 = 100;
    SetChannel(config, 5, kModeBurstSingle, 200, 100, 10000).pulseCount = 5;
    ChannelConfig& retriggered = SetChannel(config, 6, kModeBurstRetriggered, 100, 50);
    retriggered.gateSource = 3;
    retriggered.pulseCount = 3;
    SetChannel(config, 7, kModeInternal, 1500, 300).invert = 1;
    return config;
}

// Levels as text, one '0' or '1' per column.
inline std::string Text(std::span<const std::uint8_t> levels) {
    std::string text;
    for (std::uint8_t level : levels) {
        text += level != 0 ? '1' : '0';
    }
    return text;
}

// Lengths of the runs of equal levels, the first run being of the first column's level.
inline std::vector<int> Runs(std::span<const std::uint8_t> levels) {
    std::vector<int> runs;
    for (std::size_t k = 0; k < levels.size(); ++k) {
        if (k == 0 || levels[k] != levels[k - 1]) {
            runs.push_back(0);
        }
        ++runs.back();
    }
    return runs;
}

// Text is 8 pixels a character and 14 high.
class RecordingPainter : public DiagramPainter {
  public:
    struct Text {
        DiagramRect rect;
        std::string text;
        TextAlign align;
        DiagramColour colour;
    };
    struct Polyline {
        std::vector<DiagramPoint> points;
        DiagramPen pen;
    };

    void SetFont(const DiagramFont& font) override { fonts.push_back(font); }
    DiagramSize TextExtent(std::string_view text) override {
        return {8 * static_cast<int>(text.size()), 14};
    }
    void FillRect(const DiagramRect& rect, DiagramColour) override { fills.push_back(rect); }
    void DrawRect(const DiagramRect& rect, const DiagramPen&, DiagramColour) override {
        rects.push_back(rect);
    }
    void DrawLine(DiagramPoint from, DiagramPoint to, const DiagramPen&) override {
        lines.push_back({from, to});
    }
    void DrawPolyline(std::span<const DiagramPoint> points, const DiagramPen& pen) override {
        polylines.push_back({{points.begin(), points.end()}, pen});
    }
    void DrawText(const DiagramRect& rect, std::string_view text, TextAlign align,
                  DiagramColour colour) override {
        texts.push_back({rect, std::string(text), align, colour});
    }

    std::vector<DiagramFont> fonts;
    std::vector<DiagramRect> fills;
    std::vector<DiagramRect> rects;
    std::vector<std::pair<DiagramPoint, DiagramPoint>> lines;
    std::vector<Polyline> polylines;
    std::vector<Text> texts;
};

}  // namespace zo::quintel::test

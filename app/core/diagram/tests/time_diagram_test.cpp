#include "app/core/diagram/time_diagram.h"
#include "app/core/string_ids.h"

#include "app/core/diagram/tests/diagram_test_support.h"
#include "app/core/string_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zo::quintel {
namespace {

using test::DefaultConfig;
using test::RecordingPainter;
using test::Runs;
using test::SetChannel;

// With text of 8 x 14 pixels a 300 x 200 window has the plot (16, 8) - (292, 168), cells of
// 69 x 20 and 276 columns.
constexpr DiagramSize kWindow{300, 200};

RecordingPainter Painted(TimeDiagram& diagram, DiagramSize window = kWindow) {
    RecordingPainter painter;
    diagram.Paint(painter, window);
    return painter;
}

std::vector<std::string> TextsOf(const RecordingPainter& painter) {
    std::vector<std::string> texts;
    for (const auto& text : painter.texts) {
        texts.push_back(text.text);
    }
    return texts;
}

TEST(TimeDiagramPaint, WithoutRecordOnlyGridAndChannelNumbers) {
    TimeDiagram diagram;
    const RecordingPainter painter = Painted(diagram);

    EXPECT_EQ(painter.fonts, (std::vector<DiagramFont>{kDiagramFont}));
    EXPECT_EQ(painter.fills, (std::vector<DiagramRect>{{0, 0, 300, 200}}));
    EXPECT_EQ(painter.rects, (std::vector<DiagramRect>{{16, 8, 292, 168}}));
    ASSERT_EQ(painter.lines.size(), 10u);
    EXPECT_EQ(painter.lines[0], (std::pair<DiagramPoint, DiagramPoint>{{85, 9}, {85, 166}}));
    EXPECT_EQ(painter.lines[3], (std::pair<DiagramPoint, DiagramPoint>{{17, 28}, {290, 28}}));
    EXPECT_EQ(TextsOf(painter), (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "6", "7"}));
    // Right-aligned against the plot, vertically centred in the channel's row.
    EXPECT_EQ(painter.texts[0].rect, (DiagramRect{6, 11, 14, 25}));
    EXPECT_EQ(painter.texts[7].rect, (DiagramRect{6, 151, 14, 165}));
    EXPECT_EQ(painter.texts[7].align, TextAlign::kRight);
    EXPECT_EQ(painter.texts[7].colour, kDiagramGridGreen);
    EXPECT_TRUE(painter.polylines.empty());
}

TEST(TimeDiagramPaint, AutomaticTimeBaseLabelsTheAxisInMilliseconds) {
    DeviceConfig config = DefaultConfig();
    config.channels[0].outputOn = 1;
    TimeDiagram diagram;
    diagram.SetConfig(&config);
    const RecordingPainter painter = Painted(diagram);

    EXPECT_EQ(diagram.AutoRange(), 40'000);
    ASSERT_EQ(painter.texts.size(), 12u);
    const std::vector<std::string> texts = TextsOf(painter);
    const std::vector<std::string> axis(texts.begin() + 8, texts.end());
    EXPECT_EQ(axis, (std::vector<std::string>{"0", "20.000", "40.000", "Time [ms]"}));
    EXPECT_EQ(painter.texts[8].rect, (DiagramRect{17, 170, 26, 184}));
    EXPECT_EQ(painter.texts[9].rect, (DiagramRect{130, 170, 178, 184}));
    EXPECT_EQ(painter.texts[10].rect, (DiagramRect{244, 170, 292, 184}));
    EXPECT_EQ(painter.texts[11].rect, (DiagramRect{118, 185, 190, 199}));
    EXPECT_EQ(painter.texts[11].align, TextAlign::kCentre);
}

TEST(TimeDiagramPaint, AxisCaptionInTheInstalledLanguage) {
    DeviceConfig config = DefaultConfig();
    config.channels[0].outputOn = 1;
    TimeDiagram diagram;
    diagram.SetConfig(&config);
    InstallLanguageStrings({{ids::kTimeAxis, "Zeit [ms]"}});
    const RecordingPainter painter = Painted(diagram);
    InstallLanguageStrings({});
    EXPECT_EQ(painter.texts.back().text, "Zeit [ms]");
}

TEST(TimeDiagramPaint, CurrentChannelRedOthersYellowFlatOnesAlongTheirRow) {
    DeviceConfig config = DefaultConfig();
    config.currentChannel = 2;
    config.channels[0].outputOn = 1;
    // On, but clocked by input B, which has no measured period.
    ChannelConfig& external = SetChannel(config, 3, kModeExternal, 10, 5);
    external.extSource = 2;
    config.measuredPeriodA = 1000;
    TimeDiagram diagram;
    diagram.SetConfig(&config);
    const RecordingPainter painter = Painted(diagram);

    ASSERT_EQ(painter.polylines.size(), 8u);
    for (std::size_t channel = 0; channel < kChannelCount; ++channel) {
        EXPECT_EQ(painter.polylines[channel].pen.colour,
                  channel == 2 ? kDiagramRed : kDiagramYellow);
        EXPECT_EQ(painter.polylines[channel].pen.style, PenStyle::kSolid);
    }
    // Channel 0 starts high, three quarters of a row above its row's bottom line.
    EXPECT_EQ(painter.polylines[0].points.front(), (DiagramPoint{17, 13}));
    EXPECT_EQ(painter.polylines[0].points[1], (DiagramPoint{51, 13}));  // 35 high columns
    EXPECT_EQ(painter.polylines[3].points, (std::vector<DiagramPoint>{{17, 88}, {291, 88}}));
}

TEST(TimeDiagramPaint, NoTimeRangeNoAxisAndShortestPatterns) {
    DeviceConfig config = DefaultConfig();
    TimeDiagram diagram;
    diagram.SetConfig(&config);
    const RecordingPainter painter = Painted(diagram);  // automatic, nothing on
    EXPECT_EQ(painter.texts.size(), 8u);
    for (const auto& line : painter.polylines) {
        EXPECT_EQ(line.points.size(), 2u);
    }

    config.channels[0].outputOn = 1;
    diagram.SetTimeBase(false, 0);
    const RecordingPainter manual = Painted(diagram);
    EXPECT_EQ(manual.texts.size(), 8u);
    // One column high, one low, all along the plot: a vertical edge at each of 275 changes.
    EXPECT_EQ(manual.polylines[0].points.size(), 2u * 275);
}

TEST(TimeDiagramPaint, AnyWindowSizeFromTinyToWide) {
    DeviceConfig config = DefaultConfig();
    config.channels[5].outputOn = 1;
    TimeDiagram diagram;
    diagram.SetConfig(&config);

    const RecordingPainter tiny = Painted(diagram, {10, 10});
    EXPECT_TRUE(tiny.polylines.empty());

    const RecordingPainter wide = Painted(diagram, {3000, 400});
    ASSERT_EQ(wide.polylines.size(), 8u);
    EXPECT_EQ(wide.rects[0].right, 2992);
    EXPECT_EQ(wide.polylines[5].points.back().x, 2991);  // one short of the right border
    EXPECT_EQ(wide.polylines[5].points.size(), 2u * 8);  // four pulses
}

TEST(DiagramTrace, LevelsAsPaintedWithTheirTimeScale) {
    DeviceConfig config = DefaultConfig();
    config.channels[0].outputOn = 1;
    const DiagramTrace trace = TraceTimeDiagram(config, 40'000, 276);
    EXPECT_DOUBLE_EQ(trace.MicrosecondsPerColumn(), 40'000.0 / 276);
    EXPECT_EQ(Runs(trace.levels[0]), (std::vector<int>{35, 34, 35, 34, 35, 34, 35, 34}));
    for (std::size_t channel = 1; channel < kChannelCount; ++channel) {
        EXPECT_EQ(trace.levels[channel], std::vector<std::uint8_t>(276, 0));
    }
    EXPECT_EQ(TraceTimeDiagram(config, 0, 276).MicrosecondsPerColumn(), 0.0);
}

}  // namespace
}  // namespace zo::quintel

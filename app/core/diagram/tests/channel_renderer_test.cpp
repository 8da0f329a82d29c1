#include "app/core/diagram/channel_renderer.h"

#include "app/core/diagram/column_scale.h"
#include "app/core/diagram/tests/diagram_test_support.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace zo::quintel {
namespace {

using test::DefaultConfig;
using test::Runs;
using test::SetChannel;
using test::Text;

// Renders into columns that start out holding a pattern no renderer writes, so a column left
// unwritten shows up.
std::string Render(const DeviceConfig& config, std::size_t channel, std::int32_t timeRange,
                   int columns, bool gating = true) {
    ColumnArray levels;
    ColumnArray gate;
    levels.Resize(columns);
    levels.Fill(0, columns + 1, 0xAA);
    RenderChannel(config, channel, timeRange, levels, gating ? &gate : nullptr);
    return Text(levels.Levels());
}

std::vector<int> RenderRuns(const DeviceConfig& config, std::size_t channel, std::int32_t timeRange,
                            int columns) {
    ColumnArray levels;
    ColumnArray gate;
    levels.Resize(columns);
    RenderChannel(config, channel, timeRange, levels, &gate);
    return Runs(levels.Levels());
}

std::string Repeat(const std::string& part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += part;
    }
    return text;
}

std::vector<int> RepeatRuns(std::vector<int> head, std::vector<int> part, int times) {
    for (int i = 0; i < times; ++i) {
        head.insert(head.end(), part.begin(), part.end());
    }
    return head;
}

TEST(ColumnScale, RoundsHalvesUpAndNeverOverflows) {
    const ColumnScale scale(300, 1000);
    EXPECT_EQ(scale.Col(1), 0);  // 0.3 columns
    EXPECT_EQ(scale.Col(5), 2);  // 1.5 columns
    EXPECT_EQ(scale.Col(1000), 300);
    EXPECT_EQ(scale.Col(std::uint64_t{1} << 60), 600);

    const ColumnScale wide(1'000'000, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(wide.Col(std::numeric_limits<std::int32_t>::max()), 1'000'000);

    EXPECT_EQ(ColumnScale(300, 0).Col(0), -1);
    EXPECT_EQ(ColumnScale(300, -5).Col(100), -1);
}

TEST(FillPulse, EveryPulseAndEveryGapStaysVisible) {
    ColumnArray columns;
    columns.Resize(5);
    columns.Fill(0, 6, 7);
    FillPulse(columns, 0, 2, 5);
    EXPECT_EQ(Text(columns.Levels()), "11000");
    EXPECT_EQ(columns[5], 7);  // the next pulse's column is not touched

    // No room for the gap: a one-column dip at the end, and the spare column goes low.
    columns.Fill(0, 6, 7);
    FillPulse(columns, 0, 5, 5);
    EXPECT_EQ(Text(columns.Levels()), "11110");
    EXPECT_EQ(columns[5], 0);

    // A one-column pulse without room for a gap keeps its column.
    FillPulse(columns, 0, 1, 1);
    EXPECT_EQ(columns[0], 1);
    EXPECT_EQ(columns[1], 0);

    // Narrower than a column: one column wide, the gap after it.
    columns.Fill(0, 6, 7);
    FillPulse(columns, 1, 1, 3);
    EXPECT_EQ(columns[0], 7);
    EXPECT_EQ(columns[1], 1);
    EXPECT_EQ(columns[2], 0);

    // Neither pulse nor gap: nothing written.
    columns.Fill(0, 6, 7);
    FillPulse(columns, 2, 2, 2);
    EXPECT_EQ(columns[2], 7);
}

TEST(RenderInternal, PeriodWidthAndDelayInColumns) {
    DeviceConfig config = DefaultConfig();
    SetChannel(config, 0, kModeInternal, 100, 50);
    EXPECT_EQ(RenderRuns(config, 0, 1000, 300), RepeatRuns({}, {15, 15}, 10));

    // Full width: each pulse dips for its last column.
    config.channels[0].width1 = 100;
    EXPECT_EQ(RenderRuns(config, 0, 1000, 300), RepeatRuns({}, {29, 1}, 10));

    // A width of 0.3 columns is one column.
    config.channels[0].width1 = 1;
    EXPECT_EQ(RenderRuns(config, 0, 1000, 300), RepeatRuns({}, {1, 29}, 10));

    // A delay of 100 µs (in tenths) is 30 low columns first.
    config.channels[0].width1 = 50;
    config.channels[0].delay = 1000;
    EXPECT_EQ(RenderRuns(config, 0, 1000, 300), RepeatRuns({30}, {15, 15}, 9));
}

TEST(RenderInternal, PlotsWiderThanThousandColumnsAreRenderedWhole) {
    DeviceConfig config = DefaultConfig();
    SetChannel(config, 0, kModeInternal, 100, 50);
    EXPECT_EQ(RenderRuns(config, 0, 1000, 2000), RepeatRuns({}, {100, 100}, 10));
    EXPECT_EQ(RenderRuns(config, 0, 1000, 4001).size(), 21u);
}

TEST(RenderExternal, CyclesCountInTheMeasuredInputPeriod) {
    DeviceConfig config = DefaultConfig();
    config.measuredPeriodA = 10'000;  // 10 µs: 20 columns span 20 cycles
    SetChannel(config, 0, kModeExternal, 4, 2, 2);
    EXPECT_EQ(Render(config, 0, 200, 20), "00" + Repeat("1100", 4) + "10");

    // A width of the whole period becomes half of it.
    config.channels[0].width1 = 4;
    config.channels[0].delay = 0;
    EXPECT_EQ(Render(config, 0, 200, 20), Repeat("1100", 5));

    config.channels[0].extSource = 2;
    config.measuredPeriodA = 0;
    config.measuredPeriodB = 10'000;
    EXPECT_EQ(Render(config, 0, 200, 20), Repeat("1100", 5));
}

TEST(RenderRateSwitch, TwoPulsesOfRateOneThenRateTwo) {
    DeviceConfig config = DefaultConfig();
    ChannelConfig& c = SetChannel(config, 0, kModeRateSwitch, 40, 10);
    c.period2 = 20;
    c.width2 = 10;
    EXPECT_EQ(Render(config, 0, 200, 20), "10001000" + Repeat("10", 6));
    c.delay = 300;
    EXPECT_EQ(Render(config, 0, 200, 20),
              "000"
              "10001000"
              "10101010"
              "1");
}

TEST(RenderBurst, SingleBurstOfTheCountAtLeastOnePulse) {
    DeviceConfig config = DefaultConfig();
    ChannelConfig& c = SetChannel(config, 0, kModeBurstSingle, 100, 50);
    c.pulseCount = 0;
    EXPECT_EQ(RenderRuns(config, 0, 1000, 300), (std::vector<int>{15, 285}));
    c.pulseCount = 3;
    EXPECT_EQ(RenderRuns(config, 0, 1000, 300), (std::vector<int>{15, 15, 15, 15, 15, 225}));

    // Triggered by channel 2: after its delay, or its falling edge with the trigger inverted.
    c.gateSource = 5;
    SetChannel(config, 2, kModeInternal, 500, 50, 2000);
    EXPECT_EQ(RenderRuns(config, 0, 1000, 300), (std::vector<int>{60, 15, 15, 15, 15, 15, 165}));
    c.gateInvert = 1;
    EXPECT_EQ(RenderRuns(config, 0, 1000, 300), (std::vector<int>{75, 15, 15, 15, 15, 15, 150}));

    // Retriggered mode with an input as trigger is drawn as one burst.
    c.mode = kModeBurstRetriggered;
    c.gateSource = 1;
    EXPECT_EQ(RenderRuns(config, 0, 1000, 300), (std::vector<int>{15, 15, 15, 15, 15, 225}));
}

TEST(RenderBurst, RetriggeredBurstRepeatsOncePerTriggerPeriod) {
    DeviceConfig config = DefaultConfig();
    ChannelConfig& c = SetChannel(config, 0, kModeBurstRetriggered, 10, 5);
    c.pulseCount = 2;
    c.gateSource = 5;
    SetChannel(config, 2, kModeInternal, 250, 100, 300);  // 75 columns, width 30, delay 9
    const std::string burst = "110110";
    EXPECT_EQ(Render(config, 0, 1000, 300), std::string(9, '0') +
                                                Repeat(burst + std::string(69, '0'), 3) + burst +
                                                std::string(60, '0'));
    c.gateInvert = 1;
    EXPECT_EQ(Render(config, 0, 1000, 300), std::string(39, '0') +
                                                Repeat(burst + std::string(69, '0'), 3) + burst +
                                                std::string(30, '0'));
}

TEST(RenderBurst, TriggerFasterThanAColumnShowsTheShortestPattern) {
    DeviceConfig config = DefaultConfig();
    ChannelConfig& c = SetChannel(config, 0, kModeBurstRetriggered, 10, 5);
    c.pulseCount = 3;
    c.gateSource = 5;
    SetChannel(config, 2, kModeInternal, 10, 5);  // 0.03 columns per trigger period
    EXPECT_EQ(Render(config, 0, 100'000, 300), Repeat("10", 150));
}

TEST(RenderWithoutTimeRange, EveryModeStartsItsShortestPatternAtColumnZero) {
    DeviceConfig config = DefaultConfig();
    SetChannel(config, 0, kModeInternal, 100, 50, 1000);
    EXPECT_EQ(Render(config, 0, 0, 12), Repeat("10", 6));
    config.channels[0].mode = kModeRateSwitch;
    EXPECT_EQ(Render(config, 0, 0, 12), Repeat("10", 6));
    config.channels[0].mode = kModeBurstSingle;
    EXPECT_EQ(Render(config, 0, 0, 12), "1" + std::string(11, '0'));
    config.channels[0].mode = kModeBurstRetriggered;
    config.channels[0].gateSource = 4;
    SetChannel(config, 1, kModeInternal, 100, 50, 1000);
    EXPECT_EQ(Render(config, 0, 0, 12), Repeat("10", 6));
}

TEST(RenderUnknownMode, StaysLowAndInvertsToHigh) {
    DeviceConfig config = DefaultConfig();
    SetChannel(config, 0, 9, 100, 50);
    EXPECT_EQ(Render(config, 0, 1000, 10), std::string(10, '0'));
    config.channels[0].invert = 1;
    EXPECT_EQ(Render(config, 0, 1000, 10), std::string(10, '1'));
}

TEST(RenderGated, RunsWhereTheGatingChannelIsHighOrLowWithInvert) {
    DeviceConfig config = DefaultConfig();
    ChannelConfig& gated = SetChannel(config, 0, kModeInternal, 40, 20);  // 1100...
    gated.gateSource = 4;
    ChannelConfig& gate = SetChannel(config, 1, kModeInternal, 80, 40);  // 11110000...

    EXPECT_EQ(Render(config, 0, 200, 20, false), Repeat("1100", 5));
    EXPECT_EQ(Render(config, 0, 200, 20), "11000000110000001100");
    gated.gateInvert = 1;
    EXPECT_EQ(Render(config, 0, 200, 20), "00001100000011000000");

    // The gating channel's own invert counts; this channel's invert comes after gating.
    gated.gateInvert = 0;
    gate.invert = 1;
    EXPECT_EQ(Render(config, 0, 200, 20), "00001100000011000000");
    gated.invert = 1;
    EXPECT_EQ(Render(config, 0, 200, 20), "11110011111100111111");

    // Start/stop is not gated by the diagram.
    gated.invert = 0;
    gated.mode = kModeStartStop;
    EXPECT_EQ(Render(config, 0, 200, 20), Repeat("1100", 5));
}

TEST(FlatRule, ChannelsWithNothingToShowAreFlat) {
    DeviceConfig config = DefaultConfig();
    EXPECT_TRUE(IsDrawnFlat(config, 0));  // off
    ChannelConfig& c = SetChannel(config, 0, kModeExternal, 100, 50);
    c.extSource = 2;
    config.measuredPeriodA = 1000;
    EXPECT_TRUE(IsDrawnFlat(config, 0));  // input B not measured
    config.measuredPeriodB = 400;
    EXPECT_FALSE(IsDrawnFlat(config, 0));

    c.mode = kModeInternal;
    c.gateSource = 2;
    config.measuredPeriodB = 0;
    EXPECT_TRUE(IsDrawnFlat(config, 0));
    c.gateSource = 1;
    EXPECT_FALSE(IsDrawnFlat(config, 0));
    c.gateSource = 6;  // channel 3, off
    EXPECT_TRUE(IsDrawnFlat(config, 0));
    config.channels[3].outputOn = 1;
    EXPECT_FALSE(IsDrawnFlat(config, 0));
    c.gateSource = 11;  // names no channel
    EXPECT_TRUE(IsDrawnFlat(config, 0));

    // Start/stop and rate switch ignore the gate source.
    c.mode = kModeStartStop;
    EXPECT_FALSE(IsDrawnFlat(config, 0));
    c.mode = kModeRateSwitch;
    c.gateSource = 2;
    EXPECT_FALSE(IsDrawnFlat(config, 0));
}

}  // namespace
}  // namespace zo::quintel

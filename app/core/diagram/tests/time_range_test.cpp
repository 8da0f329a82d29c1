#include "app/core/diagram/time_range.h"

#include "app/core/diagram/tests/diagram_test_support.h"
#include "app/core/diagram/time_diagram.h"

#include <gtest/gtest.h>

#include <limits>

namespace zo::quintel {
namespace {

using test::DefaultConfig;
using test::SetChannel;

TEST(AutomaticTimeRange, LongestSpanOfTheChannelsThatAreOn) {
    DeviceConfig config = DefaultConfig();
    EXPECT_EQ(AutomaticTimeRange(config), 0);

    config.channels[0].outputOn = 1;  // 10000 µs period
    EXPECT_EQ(AutomaticTimeRange(config), 40'000);

    // Off channels do not count, however long.
    SetChannel(config, 1, kModeInternal, 1'000'000, 10).outputOn = 0;
    EXPECT_EQ(AutomaticTimeRange(config), 40'000);

    // Delay in tenths of a µs, then four periods.
    SetChannel(config, 2, kModeInternal, 10'000, 10, 100'005);
    EXPECT_EQ(AutomaticTimeRange(config), 50'000);
}

TEST(AutomaticTimeRange, EachModeShowsWhatItNeeds) {
    DeviceConfig config = DefaultConfig();
    ChannelConfig& c = SetChannel(config, 0, kModeRateSwitch, 100, 10, 20);
    c.period2 = 50;
    EXPECT_EQ(ChannelTimeSpan(config, 0), 2u + 2 * (100 + 50));

    c.mode = kModeBurstSingle;
    c.pulseCount = 2;
    EXPECT_EQ(ChannelTimeSpan(config, 0), 2u + 4 * 100);
    c.pulseCount = 10;
    EXPECT_EQ(ChannelTimeSpan(config, 0), 2u + 10 * 100);

    // External clock: delay and periods in input cycles, nothing without a measured period.
    c.mode = kModeExternal;
    c.period1 = 500;
    c.delay = 0;
    EXPECT_EQ(ChannelTimeSpan(config, 0), 0u);
    config.measuredPeriodA = 1000;
    EXPECT_EQ(AutomaticTimeRange(config), 2000);
    c.delay = 1000;
    EXPECT_EQ(AutomaticTimeRange(config), 3000);
    c.extSource = 2;
    config.measuredPeriodB = 3;  // 3 ns: 3000 cycles last 9 µs
    EXPECT_EQ(AutomaticTimeRange(config), 9);
}

TEST(AutomaticTimeRange, HugeSpansStayAPositiveTimeBase) {
    DeviceConfig config = DefaultConfig();
    ChannelConfig& c = SetChannel(config, 0, kModeBurstSingle, 1'000'000, 10);
    c.pulseCount = 65535;
    EXPECT_EQ(AutomaticTimeRange(config), std::numeric_limits<std::int32_t>::max());

    c.mode = kModeExternal;
    c.delay = 99'999'999;
    config.measuredPeriodA = std::numeric_limits<std::uint32_t>::max();
    EXPECT_EQ(AutomaticTimeRange(config), std::numeric_limits<std::int32_t>::max());
}

TEST(TimeDiagramRange, AutomaticRangeIsKeptWhileNoChannelIsOn) {
    DeviceConfig config = DefaultConfig();
    TimeDiagram diagram;
    diagram.SetTimeBase(false, 750);
    EXPECT_EQ(diagram.ComputeTimeRange(), 750);  // no record: the manual time base

    diagram.SetConfig(&config);
    diagram.SetTimeBase(true, 750);
    config.channels[0].outputOn = 1;
    EXPECT_EQ(diagram.ComputeTimeRange(), 40'000);
    EXPECT_EQ(diagram.AutoRange(), 40'000);

    config.channels[0].outputOn = 0;
    EXPECT_EQ(diagram.ComputeTimeRange(), 0);
    EXPECT_EQ(diagram.AutoRange(), 40'000);

    config.channels[0].outputOn = 1;
    diagram.SetTimeBase(false, 750);
    EXPECT_EQ(diagram.ComputeTimeRange(), 750);
    EXPECT_EQ(diagram.AutoRange(), 40'000);
}

}  // namespace
}  // namespace zo::quintel

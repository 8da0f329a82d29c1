#include "tools/zousbdiag/time_text.h"

#include <gtest/gtest.h>

namespace zousbdiag {
namespace {

std::uint32_t ticksOf(std::string_view text) {
    std::string error;
    const std::optional<TickValue> value = parseTicks(text, error);
    EXPECT_TRUE(value) << text << ": " << error;
    return value ? value->ticks : 0;
}

std::string refusal(std::string_view text) {
    std::string error;
    EXPECT_FALSE(parseTicks(text, error)) << text;
    return error;
}

TEST(TimeText, ConvertsTimesAndRatesExactlyInEveryUnit) {
    EXPECT_EQ(ticksOf("250us"), 12500u);
    EXPECT_EQ(ticksOf("1.5ms"), 75000u);
    EXPECT_EQ(ticksOf("20ns"), 1u);
    EXPECT_EQ(ticksOf("0s"), 0u);
    EXPECT_EQ(ticksOf(".5us"), 25u);
    EXPECT_EQ(ticksOf("3.s"), 150000000u);
    EXPECT_EQ(ticksOf("2US"), 100u);
    EXPECT_EQ(ticksOf("2\xC2\xB5s"), 100u);  // micro sign
    EXPECT_EQ(ticksOf("2\xCE\xBCs"), 100u);  // Greek mu
    EXPECT_EQ(ticksOf("85.8993459s"), 4294967295u);
    EXPECT_EQ(ticksOf("0.000000020000000000s"), 1u);

    std::string error;
    const std::optional<TickValue> rate = parseTicks("10kHz", error);
    ASSERT_TRUE(rate) << error;
    EXPECT_EQ(rate->ticks, 5000u);
    EXPECT_TRUE(rate->rate);
    EXPECT_TRUE(rate->note.empty());
    EXPECT_EQ(ticksOf("1MHZ"), 50u);
    EXPECT_EQ(ticksOf("0.5hz"), 100000000u);
}

TEST(TimeText, RoundsToTheNearestTickAndSaysSo) {
    std::string error;
    const std::optional<TickValue> under = parseTicks("9.999ns", error);
    ASSERT_TRUE(under);
    EXPECT_EQ(under->ticks, 0u);
    EXPECT_EQ(under->note, "9.999ns is no whole number of 20 ns ticks: it becomes 0 ticks (0ns)");
    EXPECT_EQ(ticksOf("10ns"), 1u);  // halves go up
    EXPECT_EQ(ticksOf("29.9ns"), 1u);
    EXPECT_EQ(ticksOf("30ns"), 2u);
    const std::optional<TickValue> rate = parseTicks("7MHz", error);
    ASSERT_TRUE(rate);
    EXPECT_EQ(rate->ticks, 7u);
    EXPECT_EQ(rate->note,
              "7MHz has a period of no whole number of 20 ns ticks: it becomes 7 ticks (140ns, "
              "7.14286MHz)");
    // Above 50 MHz a period rounds to no tick at all.
    const std::optional<TickValue> tooFast = parseTicks("200MHz", error);
    ASSERT_TRUE(tooFast);
    EXPECT_EQ(tooFast->ticks, 0u);
    EXPECT_EQ(tooFast->note,
              "200MHz has a period of no whole number of 20 ns ticks: it becomes 0 ticks (0ns)");
}

TEST(TimeText, RefusesWhatIsNoTimeOrTooLong) {
    EXPECT_EQ(refusal("85.8993460s"),
              "'85.8993460s' is longer than the longest time, 4294967295 ticks (85.8993459s)");
    EXPECT_EQ(refusal("0Hz"), "'0Hz' is no rate: a period needs a rate above 0 Hz");
    EXPECT_EQ(refusal("0.000000000000000000001Hz"),
              "'0.000000000000000000001Hz' is not a number with a unit, such as 250us or 10kHz");
    EXPECT_EQ(refusal("5min"), "'5min' has no unit this tool knows (s, ms, us, ns, Hz, kHz, MHz)");
    EXPECT_EQ(refusal("ms"), "'ms' is not a number with a unit, such as 250us or 10kHz");
    EXPECT_EQ(refusal("1..2ms"), "'1..2ms' is not a number with a unit, such as 250us or 10kHz");
    EXPECT_EQ(refusal("-1ms"), "'-1ms' has no unit this tool knows (s, ms, us, ns, Hz, kHz, MHz)");
    EXPECT_EQ(refusal("1e3ns"),
              "'1e3ns' has no unit this tool knows (s, ms, us, ns, Hz, kHz, MHz)");
}

TEST(TimeText, TellsPlainNumbersFromValuesWithUnits) {
    EXPECT_TRUE(hasUnit("250us"));
    EXPECT_TRUE(hasUnit("1.5ms"));
    EXPECT_FALSE(hasUnit("12500"));
    EXPECT_FALSE(hasUnit("0x3E8"));
    EXPECT_FALSE(hasUnit("ms"));
    EXPECT_FALSE(hasUnit(""));
}

TEST(TimeText, ReadsDurationsInMilliseconds) {
    std::string error;
    EXPECT_EQ(parseMilliseconds("250", 1000, error), 250u);
    EXPECT_EQ(parseMilliseconds("2s", 10000, error), 2000u);
    EXPECT_EQ(parseMilliseconds("1500000us", 10000, error), 1500u);
    EXPECT_EQ(parseMilliseconds("0x10", 1000, error), 16u);
    EXPECT_FALSE(parseMilliseconds("11s", 10000, error));
    EXPECT_EQ(error, "'11s' is not a duration from 1 to 10000 ms");
    EXPECT_FALSE(parseMilliseconds("1001", 1000, error));
    EXPECT_FALSE(parseMilliseconds("0.5ms", 1000, error));
    EXPECT_EQ(error, "'0.5ms' is not a whole number of milliseconds");
}

TEST(TimeText, WritesTimesExactlyInTheLargestFittingUnit) {
    EXPECT_EQ(durationText(0), "0ns");
    EXPECT_EQ(durationText(980), "980ns");
    EXPECT_EQ(durationText(1000), "1us");
    EXPECT_EQ(durationText(1020), "1.02us");
    EXPECT_EQ(durationText(250'000), "250us");
    EXPECT_EQ(durationText(1'500'000), "1.5ms");
    EXPECT_EQ(durationText(1'000'000'001), "1.000000001s");
    EXPECT_EQ(ticksText(4294967295u), "85.8993459s");
    EXPECT_EQ(rateText(1000), "1kHz");
    EXPECT_EQ(rateText(999.5), "999.5Hz");
    EXPECT_EQ(rateText(50e6), "50MHz");
    EXPECT_EQ(rateText(1.0 / 85.8993459), "0.0116415Hz");
}

}  // namespace
}  // namespace zousbdiag

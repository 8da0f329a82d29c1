// A pulse set's rate and width in both of their forms: the clamps, how each form follows the
// other, and what a stored pair from elsewhere is turned into.

#include "app/core/pulse_set.h"

#include <gtest/gtest.h>

#include "app/core/tests/default_records.h"

namespace zo::quintel {
namespace {

using testing::DefaultChannel;

TEST(PulseSetRate, FrequencyIsClampedAndThePeriodDerived) {
    ChannelConfig channel = DefaultChannel();
    PulseSet set = PulseSet::First(channel);
    EXPECT_EQ(set.SetRate(200'000), 100'000u) << "the top digit stepped up past the limit";
    EXPECT_EQ(channel.frequency1, 100'000u);
    EXPECT_EQ(channel.period1, 10u);
    EXPECT_EQ(set.SetRate(0), 1u) << "1 Hz stepped down in the units digit";
    EXPECT_EQ(channel.period1, 1'000'000u);
    EXPECT_EQ(set.SetRate(3), 3u);
    EXPECT_EQ(channel.period1, 333'333u) << "truncating division";
}

TEST(PulseSetRate, PeriodIsClampedByModeAndTheFrequencyDerived) {
    ChannelConfig internal = DefaultChannel();
    internal.rate1Unit = kRateAsPeriod;
    EXPECT_EQ(PulseSet::First(internal).SetRate(5), 10u);
    EXPECT_EQ(internal.frequency1, 100'000u);
    EXPECT_EQ(PulseSet::First(internal).SetRate(2'000'000), 1'000'000u);
    EXPECT_EQ(internal.frequency1, 1u);
    EXPECT_EQ(PulseSet::First(internal).SetRate(900), 900u);
    EXPECT_EQ(internal.frequency1, 1111u);

    ChannelConfig external = DefaultChannel(kModeExternal);
    external.rate1Unit = kRateAsPeriod;
    EXPECT_EQ(PulseSet::First(external).SetRate(1), 1u) << "one clock cycle is a period";
    EXPECT_EQ(external.frequency1, 1'000'000u);
    EXPECT_EQ(PulseSet::First(external).SetRate(0), 1u);

    ChannelConfig second = DefaultChannel(kModeExternal);
    second.rate2Unit = kRateAsPeriod;
    EXPECT_EQ(PulseSet::Second(second).SetRate(1), 10u) << "pulse set 2 is always in µs";
}

TEST(PulseSetRate, AWidthShownAsDutyCycleIsRecomputedFromIt) {
    ChannelConfig channel = DefaultChannel();  // duty 500 ‰ shown
    PulseSet::First(channel).SetRate(1000);
    EXPECT_EQ(channel.width1, 500u);
    EXPECT_EQ(channel.duty1, 500u);
    PulseSet::First(channel).SetRate(100'000);
    EXPECT_EQ(channel.width1, 5u);
}

TEST(PulseSetRate, AWidthShownAsSuchIsLoweredOnlyWhenItNoLongerFits) {
    ChannelConfig channel = DefaultChannel();
    channel.width1Unit = kWidthAsWidth;
    PulseSet::First(channel).SetRate(50);  // 20000 µs: 5000 µs still fits
    EXPECT_EQ(channel.width1, 5000u);
    EXPECT_EQ(channel.duty1, 250u);
    PulseSet::First(channel).SetRate(100'000);
    EXPECT_EQ(channel.width1, 9u) << "at 100 kHz the width is at most 9 µs";
    EXPECT_EQ(channel.duty1, 900u);
}

TEST(PulseSetRate, TheWidthStaysBelowAPeriodThatItsRoundedFrequencyOverstates) {
    // 400000 µs is 2 Hz, which stands for 500000 µs.
    ChannelConfig channel = DefaultChannel();
    channel.rate1Unit = kRateAsPeriod;
    channel.duty1 = 999;
    PulseSet::First(channel).SetRate(400'000);
    EXPECT_EQ(channel.frequency1, 2u);
    EXPECT_EQ(channel.width1, 399'999u);

    channel.width1Unit = kWidthAsWidth;
    EXPECT_EQ(PulseSet::First(channel).SetWidth(450'000), 399'999u);
}

TEST(PulseSetWidth, DutyCycleAndWidthAreClampedAndDeriveEachOther) {
    ChannelConfig channel = DefaultChannel();  // 100 Hz
    PulseSet set = PulseSet::First(channel);
    EXPECT_EQ(set.SetWidth(0), 1u);
    EXPECT_EQ(channel.width1, 10u);
    EXPECT_EQ(set.SetWidth(1500), 999u) << "upper digits stepped up";
    EXPECT_EQ(channel.width1, 9990u);

    channel.width1Unit = kWidthAsWidth;
    EXPECT_EQ(set.SetWidth(1), 1u);
    EXPECT_EQ(channel.duty1, 1u) << "1 µs at 100 Hz is 0.1 ‰, stored as 1 ‰";
    EXPECT_EQ(set.SetWidth(0), 1u);
    EXPECT_EQ(set.SetWidth(20'000), 9999u);
    EXPECT_EQ(channel.duty1, 999u);
}

TEST(PulseSetWidth, OneCycleOfTheExternalClockStillHasAWidth) {
    ChannelConfig channel = DefaultChannel(kModeExternal);
    channel.rate1Unit = kRateAsPeriod;
    PulseSet set = PulseSet::First(channel);
    set.SetRate(1);
    EXPECT_EQ(set.maxWidth(), 1u);
    EXPECT_EQ(channel.width1, 1u);
    set.SetRate(10);
    EXPECT_EQ(channel.width1, 5u) << "500 ‰ of ten cycles";
}

TEST(PulseSetNormalise, PairsTheEditorMadeAreLeftExactlyAsTheyAre) {
    ChannelConfig channel = DefaultChannel();
    channel.rate1Unit = kRateAsPeriod;
    PulseSet::First(channel).SetRate(333'334);  // 3 Hz shown as period ...
    channel.rate1Unit = kRateAsFrequency;       // ... then shown as frequency
    channel.width1Unit = kWidthAsWidth;
    PulseSet::First(channel).SetWidth(1234);
    channel.width1Unit = kWidthAsDuty;
    const ChannelConfig before = channel;

    PulseSet::First(channel).Normalise();
    EXPECT_EQ(channel.period1, before.period1);
    EXPECT_EQ(channel.frequency1, before.frequency1);
    EXPECT_EQ(channel.width1, before.width1);
    EXPECT_EQ(channel.duty1, before.duty1);
}

TEST(PulseSetNormalise, ValuesOutsideTheLimitsOrInDisagreementAreSetAgainFromTheFormShown) {
    ChannelConfig zero = DefaultChannel();
    zero.frequency1 = 0;
    PulseSet::First(zero).Normalise();
    EXPECT_EQ(zero.frequency1, 1u);
    EXPECT_EQ(zero.period1, 1'000'000u);
    EXPECT_EQ(zero.width1, 500'000u);

    ChannelConfig disagreeing = DefaultChannel();
    disagreeing.rate1Unit = kRateAsPeriod;
    disagreeing.period1 = 20'000;  // frequency still says 100 Hz
    disagreeing.width1Unit = kWidthAsWidth;
    disagreeing.width1 = 30'000;
    PulseSet::First(disagreeing).Normalise();
    EXPECT_EQ(disagreeing.frequency1, 50u);
    EXPECT_EQ(disagreeing.width1, 19'999u);
    EXPECT_EQ(disagreeing.duty1, 999u);

    ChannelConfig units = DefaultChannel();
    units.rate2Unit = 7;
    units.width2Unit = 7;
    units.duty2 = 0;
    PulseSet::Second(units).Normalise();
    EXPECT_EQ(units.rate2Unit, kRateAsFrequency);
    EXPECT_EQ(units.width2Unit, kWidthAsDuty);
    EXPECT_EQ(units.duty2, 1u);
    EXPECT_EQ(units.width2, 10u);
}

TEST(PulseSetNormalise, AChannelLeavingTheExternalModeGetsAPeriodInMicroseconds) {
    ChannelConfig channel = DefaultChannel(kModeExternal);
    channel.rate1Unit = kRateAsPeriod;
    PulseSet::First(channel).SetRate(3);  // three clock cycles
    channel.mode = kModeInternal;
    PulseSet::First(channel).Normalise();
    EXPECT_EQ(channel.period1, 10u);
    EXPECT_EQ(channel.frequency1, 100'000u);
    EXPECT_LE(channel.width1, 9u);
}

}  // namespace
}  // namespace zo::quintel

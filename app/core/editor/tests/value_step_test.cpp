// Digit steps on the record: the digit wraps without a carry, the value is clamped, the values
// derived from it follow, and the step says which parameters the device needs.

#include "app/core/editor/value_step.h"

#include <gtest/gtest.h>

#include "app/core/editor/digit_rows.h"
#include "app/core/tests/default_records.h"

namespace zo::quintel {
namespace {

using testing::DefaultChannel;

// Steps the digit under spin button `spin` and returns the value its row shows afterwards.
std::uint32_t step(ChannelConfig& channel, int spin, bool up) {
    const std::optional<DigitPosition> position = DigitOfSpin(spin);
    EXPECT_TRUE(position.has_value()) << spin;
    StepChannelValue(channel, *position, up);
    return ShownValue(channel, position->row);
}

TEST(DigitRows, EverySpinButtonStepsOneDigitOfOneRow) {
    EXPECT_EQ(DigitOfSpin(1090), (DigitPosition{DigitRowId::kRate1, 0}));
    EXPECT_EQ(DigitOfSpin(1096), (DigitPosition{DigitRowId::kRate1, 6}));
    EXPECT_EQ(DigitOfSpin(1115), (DigitPosition{DigitRowId::kWidth1, 5}));
    EXPECT_EQ(DigitOfSpin(1130), (DigitPosition{DigitRowId::kRate2, 0}));
    EXPECT_EQ(DigitOfSpin(1155), (DigitPosition{DigitRowId::kWidth2, 5}));
    EXPECT_EQ(DigitOfSpin(1169), (DigitPosition{DigitRowId::kDelay, 0}));
    EXPECT_EQ(DigitOfSpin(1176), (DigitPosition{DigitRowId::kDelay, 7}));
    for (int notASpin : {1089, 1097, 1116, 1137, 1156, 1168, 1177, 1081}) {
        EXPECT_FALSE(DigitOfSpin(notASpin).has_value()) << notASpin;
    }
}

TEST(RateStep, FrequencyStepsAreClampedAndThePeriodFollows) {
    ChannelConfig channel = DefaultChannel();
    channel.frequency1 = 100'000;
    channel.period1 = 10;
    EXPECT_EQ(step(channel, 1095, true), 100'000u) << "200000 Hz is clamped";
    EXPECT_EQ(channel.period1, 10u);

    channel.frequency1 = 1;
    channel.period1 = 1'000'000;
    EXPECT_EQ(step(channel, 1090, false), 1u) << "0 Hz becomes 1 Hz";
    EXPECT_EQ(channel.period1, 1'000'000u);

    channel.frequency1 = 19;
    EXPECT_EQ(step(channel, 1090, true), 10u) << "9 wraps to 0 without a carry";
    EXPECT_EQ(channel.period1, 100'000u);
}

TEST(RateStep, PeriodStepsWrapWithoutCarryAndKeepTheModesShortestPeriod) {
    ChannelConfig channel = DefaultChannel();
    channel.rate1Unit = kRateAsPeriod;
    channel.period1 = 990;
    EXPECT_EQ(step(channel, 1091, true), 900u) << "the tens digit 9 wraps to 0";
    EXPECT_EQ(channel.frequency1, 1111u);

    channel.period1 = 10;
    EXPECT_EQ(step(channel, 1091, false), 10u) << "0 µs becomes the shortest period, 10 µs";
    EXPECT_EQ(channel.frequency1, 100'000u);
    channel.period1 = 15;
    EXPECT_EQ(step(channel, 1091, false), 10u) << "5 µs becomes 10 µs";

    ChannelConfig external = DefaultChannel(kModeExternal);
    external.rate1Unit = kRateAsPeriod;
    external.width1Unit = kWidthAsDuty;
    external.period1 = 2;
    EXPECT_EQ(step(external, 1090, false), 1u) << "one clock cycle is a period";
    EXPECT_EQ(external.width1, 1u);

    channel.period1 = 1'000'000;
    EXPECT_EQ(step(channel, 1096, true), 1'000'000u) << "2000000 µs is clamped";
}

TEST(RateStep, AShorterPeriodLowersAWidthThatNoLongerFits) {
    ChannelConfig channel = DefaultChannel();
    channel.width1Unit = kWidthAsWidth;
    channel.frequency1 = 10'000;  // 100 µs
    channel.period1 = 100;
    channel.width1 = 50;
    channel.duty1 = 500;
    EXPECT_EQ(step(channel, 1094, true), 20'000u);
    EXPECT_EQ(channel.width1, 49u) << "50 µs does not fit a 50 µs period";
    EXPECT_EQ(channel.duty1, 980u);
    EXPECT_EQ(step(channel, 1095, true), 100'000u) << "the limit, 10 µs";
    EXPECT_EQ(channel.width1, 9u);
    EXPECT_EQ(step(channel, 1112, true), 9u) << "width 109 µs is above the limit of 9 µs";
}

TEST(WidthStep, DutyCycleAndWidthDeriveEachOther) {
    ChannelConfig channel = DefaultChannel();  // 100 Hz, duty 500 ‰ shown
    EXPECT_EQ(step(channel, 1112, true), 600u);
    EXPECT_EQ(channel.width1, 6000u);
    EXPECT_EQ(step(channel, 1112, false), 500u);
    channel.duty1 = 1;
    EXPECT_EQ(step(channel, 1110, false), 1u) << "0 ‰ becomes 1 ‰";
    EXPECT_EQ(channel.width1, 10u);

    channel.width1Unit = kWidthAsWidth;
    channel.width1 = 2;
    EXPECT_EQ(step(channel, 1110, false), 1u);
    EXPECT_EQ(channel.duty1, 1u) << "1 µs of 10000 µs is 0 ‰, kept as 1 ‰";
    EXPECT_EQ(step(channel, 1110, false), 1u) << "width 0 becomes 1 µs";
}

TEST(SecondSetStep, RowsThreeAndFourEditTheSecondPulseSet) {
    ChannelConfig channel = DefaultChannel(kModeRateSwitch);
    EXPECT_EQ(StepChannelValue(channel, {DigitRowId::kRate2, 2}, true), DeviceStep::kTiming2);
    EXPECT_EQ(channel.frequency2, 200u);
    EXPECT_EQ(channel.period2, 5000u);
    EXPECT_EQ(channel.width2, 2500u) << "duty 2 is shown, so width 2 follows";
    EXPECT_EQ(channel.frequency1, 100u) << "pulse set 1 untouched";
    EXPECT_EQ(StepChannelValue(channel, {DigitRowId::kWidth2, 2}, true), DeviceStep::kTiming2);
    EXPECT_EQ(channel.duty2, 600u);
    EXPECT_EQ(channel.width2, 3000u);
    EXPECT_EQ(StepChannelValue(channel, {DigitRowId::kWidth1, 0}, true), DeviceStep::kTiming1);
    EXPECT_EQ(StepChannelValue(channel, {DigitRowId::kRate1, 0}, true), DeviceStep::kTiming1);
}

TEST(PulseCountStep, BurstsCountPulsesInRowFourWithinTheirLimits) {
    ChannelConfig channel = DefaultChannel(kModeBurstSingle);
    EXPECT_EQ(ShownValue(channel, DigitRowId::kWidth2), 1u);
    EXPECT_EQ(StepChannelValue(channel, {DigitRowId::kWidth2, 0}, false), DeviceStep::kPulseCount);
    EXPECT_EQ(channel.pulseCount, 1u) << "0 pulses becomes 1";
    EXPECT_EQ(step(channel, 1152, true), 101u);
    EXPECT_EQ(channel.width2, 5000u) << "the second width is left alone";

    channel.mode = kModeBurstRetriggered;
    channel.pulseCount = 65'535;
    EXPECT_EQ(ShownValue(channel, DigitRowId::kWidth2), 65'535u) << "a stored count is shown whole";
    EXPECT_EQ(step(channel, 1150, true), 65'535u) << "65536 is clamped";
    EXPECT_EQ(step(channel, 1150, false), 65'534u);
}

TEST(DelayStep, TheDelayWrapsInItsEightDigitsAndZeroIsAllowed) {
    ChannelConfig channel = DefaultChannel();
    channel.delay = 99'999'999;
    EXPECT_EQ(StepChannelValue(channel, {DigitRowId::kDelay, 7}, true), DeviceStep::kDelay);
    EXPECT_EQ(channel.delay, 9'999'999u) << "the top digit wraps from 9 to 0";
    channel.delay = 1;
    EXPECT_EQ(step(channel, 1169, false), 0u);
    EXPECT_EQ(step(channel, 1169, false), 9u);
}

}  // namespace
}  // namespace zo::quintel

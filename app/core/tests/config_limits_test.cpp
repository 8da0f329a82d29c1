// The limits applied to a whole record: a sound record passes unchanged, every field of a damaged
// one ends inside its limits.

#include "app/core/config_limits.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zo::quintel {
namespace {

TEST(ConfigLimits, TheDefaultsPassUnchanged) {
    DeviceConfig defaults;
    SetDefaultConfig(defaults);
    DeviceConfig config = defaults;
    ClampDeviceConfig(config);
    EXPECT_EQ(std::memcmp(&config, &defaults, sizeof config), 0);
}

TEST(ConfigLimits, EveryFieldOfADamagedRecordEndsInsideItsLimits) {
    DeviceConfig config;
    std::memset(&config, 0xFF, sizeof config);
    ClampDeviceConfig(config);

    EXPECT_EQ(config.size, 0xFFFF'FFFFu) << "the size word is the storage's concern";
    EXPECT_EQ(config.autoTimeBase, 1u);
    EXPECT_EQ(config.timeBase, 0x7FFF'FFFFu);
    EXPECT_EQ(config.currentChannel, 0u);
    for (const ChannelConfig& channel : config.channels) {
        EXPECT_EQ(channel.label[kLabelSize - 1], '\0');
        EXPECT_EQ(channel.mode, kModeInternal);
        EXPECT_EQ(channel.outputOn, 1u);
        EXPECT_EQ(channel.invert, 1u);
        EXPECT_EQ(channel.locked, 1u);
        EXPECT_EQ(channel.extSource, 1u);
        EXPECT_EQ(channel.gateSource, 0u);
        EXPECT_EQ(channel.rate1Unit, kRateAsFrequency);
        EXPECT_EQ(channel.frequency1, 100'000u);
        EXPECT_EQ(channel.period1, 10u);
        EXPECT_EQ(channel.width1Unit, kWidthAsDuty);
        EXPECT_EQ(channel.duty1, 999u);
        EXPECT_EQ(channel.width1, 9u);
        EXPECT_EQ(channel.frequency2, 100'000u);
        EXPECT_EQ(channel.width2, 9u);
        EXPECT_EQ(channel.pulseCount, 65535u);
        EXPECT_EQ(channel.delay, 99'999'999u);
    }
}

TEST(ConfigLimits, SourcesAndCountsKeepEveryValueTheEditorOffers) {
    EXPECT_EQ(ClampPulseCount(65535), 65535u);
    EXPECT_EQ(ClampDelay(0), 0u);
    EXPECT_EQ(ClampDelay(99'999'999), 99'999'999u);

    DeviceConfig config;
    SetDefaultConfig(config);
    ChannelConfig& channel = config.channels[3];
    channel.extSource = 2;
    channel.gateSource = 10;
    channel.mode = kModeBurstRetriggered;
    ClampChannelConfig(channel);
    EXPECT_EQ(channel.extSource, 2u);
    EXPECT_EQ(channel.gateSource, 10u);
    EXPECT_EQ(channel.mode, kModeBurstRetriggered);
    channel.extSource = 0;
    channel.gateSource = 11;
    channel.mode = 6;
    ClampChannelConfig(channel);
    EXPECT_EQ(channel.extSource, 1u);
    EXPECT_EQ(channel.gateSource, 0u);
    EXPECT_EQ(channel.mode, kModeInternal);
}

}  // namespace
}  // namespace zo::quintel

#include "app/core/device_config.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace zo::quintel {
namespace {

TEST(DeviceConfigDefaults, EveryChannelRuns100HzAtHalfDutyWithItsOwnLabel) {
    DeviceConfig config;
    std::memset(&config, 0xA5, sizeof config);
    SetDefaultConfig(config);

    EXPECT_EQ(config.size, 0u);
    EXPECT_EQ(config.autoTimeBase, 1u);
    EXPECT_EQ(config.timeBase, 0u);
    EXPECT_EQ(config.currentChannel, 0u);
    for (unsigned c = 0; c < kChannelCount; ++c) {
        const ChannelConfig& channel = config.channels[c];
        EXPECT_EQ(std::string(channel.label.data()), "Channel 0" + std::to_string(c));
        // Nothing after the terminator: the label is persisted as all 64 bytes.
        for (std::size_t i = std::strlen(channel.label.data()); i < kLabelSize; ++i) {
            EXPECT_EQ(channel.label[i], '\0');
        }
        EXPECT_EQ(channel.outputOn, 0u);
        EXPECT_EQ(channel.mode, kModeInternal);
        EXPECT_EQ(channel.extSource, 1u);
        EXPECT_EQ(channel.gateSource, 0u);
        EXPECT_EQ(channel.period1, 10000u);
        EXPECT_EQ(channel.frequency1, 100u);
        EXPECT_EQ(channel.width1, 5000u);
        EXPECT_EQ(channel.duty1, 500u);
        EXPECT_EQ(channel.width1Unit, kWidthAsDuty);
        EXPECT_EQ(channel.period2, 10000u);
        EXPECT_EQ(channel.frequency2, 100u);
        EXPECT_EQ(channel.width2, 5000u);
        EXPECT_EQ(channel.duty2, 500u);
        EXPECT_EQ(channel.pulseCount, 1u);
        EXPECT_EQ(channel.delay, 0u);
        EXPECT_EQ(channel.locked, 0u);
        EXPECT_EQ(channel.reserved[0], 0u);
        EXPECT_EQ(channel.reserved[1], 0u);
    }
}

}  // namespace
}  // namespace zo::quintel

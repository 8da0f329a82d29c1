// The channel configuration between runs: the user's value, the installer's preset, the defaults,
// and what a stored record may and may not bring back.

#include "app/core/device_config_storage.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/core/tests/program_registry.h"

namespace zo::quintel {
namespace {

using testing::ProgramRegistry;

DeviceConfig defaults() {
    DeviceConfig config;
    SetDefaultConfig(config);
    return config;
}

// A record as a run of the program stores it, with one label of its own.
DeviceConfig storedRecord(const char* label) {
    DeviceConfig config = defaults();
    config.size = kDeviceConfigSize;
    std::strncpy(config.channels[2].label.data(), label, kLabelSize - 1);
    return config;
}

bool sameBytes(const DeviceConfig& a, const DeviceConfig& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string labelOf(const DeviceConfig& config, std::size_t channel) {
    return config.channels[channel].label.data();
}

class DeviceConfigStorage : public ::testing::Test {
  protected:
    DeviceConfig load(std::uint32_t n = 0) {
        DeviceConfig config;
        std::memset(&config, 0x5A, sizeof config);
        LoadDeviceConfig(config, n);
        return config;
    }

    ProgramRegistry registry_;
};

TEST_F(DeviceConfigStorage, WithNothingStoredTheRecordIsTheDefaultsByteForByte) {
    EXPECT_TRUE(sameBytes(load(), defaults()));
    registry_.createKey(ProgramRegistry::kUser);
    EXPECT_TRUE(sameBytes(load(), defaults()));
    EXPECT_EQ(load().size, 0u);
}

TEST_F(DeviceConfigStorage, ARecordWithTheSizeWordIsTakenWithItsMeasuredPeriodsCleared) {
    DeviceConfig stored = storedRecord("Laser Q-switch");
    stored.measuredPeriodA = 1000;
    stored.measuredPeriodB = 400;
    stored.currentChannel = 2;
    registry_.setBinary(ProgramRegistry::kUser, "0_DeviceCfg", stored);

    const DeviceConfig loaded = load();
    EXPECT_EQ(loaded.size, kDeviceConfigSize);
    EXPECT_EQ(labelOf(loaded, 2), "Laser Q-switch");
    EXPECT_EQ(loaded.currentChannel, 2u);
    EXPECT_EQ(loaded.measuredPeriodA, 0u);
    EXPECT_EQ(loaded.measuredPeriodB, 0u);
    EXPECT_TRUE(sameBytes(load(1), defaults())) << "device index 1 has its own value";
}

TEST_F(DeviceConfigStorage, TheMachinePresetServesWhenTheUserValueIsMissingOrWrong) {
    registry_.createKey(ProgramRegistry::kUser);
    registry_.setBinary(ProgramRegistry::kMachine, "0_DeviceCfg", storedRecord("Preset"));
    EXPECT_EQ(labelOf(load(), 2), "Preset") << "no user value";

    DeviceConfig wrongSize = storedRecord("Mine");
    wrongSize.size = 1028;
    registry_.setBinary(ProgramRegistry::kUser, "0_DeviceCfg", wrongSize);
    EXPECT_EQ(labelOf(load(), 2), "Preset") << "user value with a wrong size word";

    registry_.setBinary(ProgramRegistry::kUser, "0_DeviceCfg", storedRecord("Mine"));
    EXPECT_EQ(labelOf(load(), 2), "Mine");
}

TEST_F(DeviceConfigStorage, WithoutTheUserKeyThePresetIsNotConsulted) {
    registry_.setBinary(ProgramRegistry::kMachine, "0_DeviceCfg", storedRecord("Preset"));
    EXPECT_TRUE(sameBytes(load(), defaults()));
}

TEST_F(DeviceConfigStorage, ValuesOfTheWrongLengthNeverMixIntoTheRecord) {
    registry_.createKey(ProgramRegistry::kUser);
    // Longer than a record: not read at all.
    std::vector<std::uint8_t> longer(kDeviceConfigSize + 4, 0);
    const DeviceConfig record = storedRecord("Longer");
    std::memcpy(longer.data(), &record, sizeof record);
    registry_.set(ProgramRegistry::kUser, "0_DeviceCfg", testing::reg::REG_BINARY, longer);
    EXPECT_TRUE(sameBytes(load(), defaults()));

    // A rejected user value leaves none of its bytes behind for the preset to be read over.
    DeviceConfig wrong = storedRecord("Rejected");
    wrong.size = 0;
    wrong.timeBase = 777;
    registry_.setBinary(ProgramRegistry::kUser, "0_DeviceCfg", wrong);
    DeviceConfig presetHead = storedRecord("");
    registry_.setBinary(ProgramRegistry::kMachine, "0_DeviceCfg", presetHead,
                        offsetof(DeviceConfig, timeBase));
    const DeviceConfig loaded = load();
    EXPECT_EQ(loaded.timeBase, 0u);
    EXPECT_EQ(labelOf(loaded, 2), "Channel 02");
}

TEST_F(DeviceConfigStorage, AShortValueWithTheSizeWordReplacesOnlyTheBytesItHas) {
    DeviceConfig head = storedRecord("");
    head.timeBase = 250;
    head.autoTimeBase = 0;
    registry_.setBinary(ProgramRegistry::kUser, "0_DeviceCfg", head,
                        offsetof(DeviceConfig, channels));
    const DeviceConfig loaded = load();
    EXPECT_EQ(loaded.timeBase, 250u);
    EXPECT_EQ(loaded.autoTimeBase, 0u);
    EXPECT_EQ(labelOf(loaded, 2), "Channel 02");
}

TEST_F(DeviceConfigStorage, SavingWritesExactlyTheRecordWithItsSizeWord) {
    DeviceConfig config = defaults();
    SaveDeviceConfig(config, 0);
    EXPECT_FALSE(registry_.get(ProgramRegistry::kUser, "0_DeviceCfg")) << "no key is created";

    ASSERT_TRUE(CreateUserSettingsKey());
    const std::string longest(kLabelSize - 1, 'L');
    std::memcpy(config.channels[7].label.data(), longest.c_str(), kLabelSize);
    SaveDeviceConfig(config, 0);
    EXPECT_EQ(config.size, kDeviceConfigSize);
    const auto stored = registry_.get(ProgramRegistry::kUser, "0_DeviceCfg");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, testing::reg::REG_BINARY);
    ASSERT_EQ(stored->bytes.size(), kDeviceConfigSize);
    EXPECT_EQ(std::vector<std::uint8_t>(stored->bytes.begin(), stored->bytes.begin() + 4),
              (std::vector<std::uint8_t>{0x18, 0x05, 0x00, 0x00}));

    const DeviceConfig loaded = load();
    EXPECT_TRUE(sameBytes(loaded, config));
    EXPECT_EQ(labelOf(loaded, 7), longest);
}

TEST_F(DeviceConfigStorage, AStoredRecordIsBroughtInsideTheLimits) {
    DeviceConfig stored = storedRecord("");
    ChannelConfig& channel = stored.channels[4];
    channel.frequency1 = 0;  // would divide by zero in every width computation
    channel.period1 = 0;
    channel.label.fill('x');  // no terminator
    stored.currentChannel = 12;
    registry_.setBinary(ProgramRegistry::kUser, "0_DeviceCfg", stored);

    const DeviceConfig loaded = load();
    const ChannelConfig& fixed = loaded.channels[4];
    EXPECT_EQ(fixed.frequency1, 1u);
    EXPECT_EQ(fixed.period1, 1'000'000u);
    EXPECT_EQ(fixed.label[kLabelSize - 1], '\0');
    EXPECT_EQ(loaded.currentChannel, 0u);
}

}  // namespace
}  // namespace zo::quintel

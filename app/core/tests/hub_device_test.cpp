// The device object against the real device-access library, loaded through the binder, on a
// simulated machine of the test's own: what reaches the library's settings record, the hub's
// registers and the hub's outputs.

#include "app/core/hub_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/core/device_units.h"
#include "app/core/zoqn_helper.h"
#include "driver/tests/driver_test_support.h"
#include "hub/waveform.h"

namespace zo::quintel {
namespace {

using test::RecordingDevice;

constexpr int kOutputEnableRegister = 0x40;

DeviceConfig defaultConfig() {
    DeviceConfig config;
    SetDefaultConfig(config);
    return config;
}

// The durations between successive changes of one output, from its first rising edge on.
std::vector<std::uint64_t> phases(const hub::Waveform& waveform, std::uint8_t wire) {
    std::vector<std::uint64_t> edges;
    for (const hub::WaveformTransition& transition : waveform.transitions) {
        if (transition.wire == wire && (transition.level || !edges.empty())) {
            edges.push_back(transition.nanoseconds);
        }
    }
    std::vector<std::uint64_t> lengths;
    for (std::size_t i = 1; i < edges.size(); ++i) {
        lengths.push_back(edges[i] - edges[i - 1]);
    }
    return lengths;
}

std::uint64_t firstRise(const hub::Waveform& waveform, std::uint8_t wire) {
    for (const hub::WaveformTransition& transition : waveform.transitions) {
        if (transition.wire == wire && transition.level) {
            return transition.nanoseconds;
        }
    }
    return 0;
}

class HubDeviceTest : public ::testing::Test {
  protected:
    HubDeviceTest()
        : machine_(std::make_unique<kernel::Machine>(kernel::MachineOptions{
              DriverEntry, kernel::BusCompletion::Immediate, 0x600, {}, {}})) {}

    ~HubDeviceTest() override {
        device_.Close();
        CZoqnHelper::UnloadDriver();
        for (kernel::UsbPort* port : machine_->bus().ports()) {
            machine_->pnp().unplug(port->number());
        }
    }

    std::shared_ptr<RecordingDevice> plug(const hub::HubOptions& options = {},
                                          std::shared_ptr<const hub::HubClock> clock = nullptr) {
        auto hub = std::make_shared<RecordingDevice>(options, std::move(clock));
        machine_->pnp().plugIn(hub);
        return hub;
    }

    // Probes and opens the first hub, as the dialog does.
    void open() {
        ASSERT_EQ(CZoqnHelper::LoadDriver(), QN_OK);
        QnDeviceRecord records[10];
        std::uint32_t count = 10;
        ASSERT_EQ(CZoqnHelper::EnumDevices(records, &count), QN_OK);
        ASSERT_GE(count, 1u);
        ASSERT_EQ(device_.Open(static_cast<std::uint32_t>(records[0].id)), QN_OK);
    }

    const QnChannelSettings& channel(std::size_t c) const { return device_.settings().channels[c]; }

    // Sends the configuration, switches its outputs on and records the next millisecond of a hub
    // that runs on the test's clock.
    hub::Waveform runForOneMillisecond(RecordingDevice& hub, hub::ManualHubClock& clock,
                                       const DeviceConfig& config) {
        EXPECT_EQ(device_.ApplyConfiguration(config), QN_OK);
        device_.SwitchOutputs(config, true);
        hub.hub().startRecording();
        clock.advance(1'000'000);
        return hub.hub().stopRecording();
    }

    // The values written to the output-enable register since write number `from`.
    static std::vector<int> outputEnableWrites(const RecordingDevice& hub, std::size_t from) {
        std::vector<int> values;
        const std::vector<test::SeenControl> writes = hub.requests(0xFB);
        for (std::size_t i = from; i < writes.size(); ++i) {
            if ((writes[i].setup.value & 0xFF) == kOutputEnableRegister) {
                values.push_back(writes[i].setup.index >> 8);
            }
        }
        return values;
    }

    CZoqnHelper binder_;
    std::unique_ptr<kernel::Machine> machine_;
    CHubDevice device_;
};

TEST_F(HubDeviceTest, OpenStartsFromTheDeviceDefaultsAndReportsTheSpeed) {
    plug();
    plug({.speed = usb::Speed::Full});
    open();
    EXPECT_NE(device_.handle(), nullptr);
    EXPECT_EQ(device_.settings().size, QN_SETTINGS_SIZE);
    EXPECT_EQ(channel(0).highTime, 1u) << "the library's default record";
    EXPECT_EQ(device_.GetSpeedCode(), kHighSpeedCode);

    ASSERT_EQ(device_.Open(2), QN_OK) << "opening again closes the first device";
    EXPECT_EQ(device_.deviceId(), 2u);
    EXPECT_EQ(device_.GetSpeedCode(), 11);
    CHubDevice first;
    EXPECT_EQ(first.Open(1), QN_OK) << "the first device was closed";
}

TEST_F(HubDeviceTest, AFailedOpenLeavesNoHandleAndNoSettings) {
    plug();
    ASSERT_EQ(CZoqnHelper::LoadDriver(), QN_OK);
    EXPECT_EQ(device_.Open(4), QN_ERR_NO_DEVICE);
    EXPECT_EQ(device_.handle(), nullptr);
    EXPECT_EQ(device_.deviceId(), 4u);
    EXPECT_EQ(device_.settings().size, 0u);
    EXPECT_EQ(device_.GetSpeedCode(), 0) << "no device: the call fails and 0 remains";
}

TEST_F(HubDeviceTest, TheIdleLevelFollowsTheInvertSetting) {
    plug();
    open();
    EXPECT_EQ(device_.SetParameter(3, QN_PARAM_INVERT, 1), QN_OK);
    EXPECT_EQ(channel(3).invert, 1u);
    EXPECT_EQ(channel(3).idleLevel, 1u);
    EXPECT_EQ(device_.SetParameter(3, QN_PARAM_IDLE_LEVEL, 0), QN_OK);
    EXPECT_EQ(channel(3).idleLevel, 0u);
    EXPECT_EQ(channel(3).invert, 1u) << "the idle level alone leaves the invert setting";
    EXPECT_EQ(device_.SetParameter(3, QN_PARAM_INVERT, 2), QN_ERR_RANGE);
}

TEST_F(HubDeviceTest, PulseSetsAndDelaysReachTheParametersTheyBelongTo) {
    plug();
    open();
    EXPECT_EQ(device_.ApplyTiming(1, kModeInternal, 100, 40, false), QN_OK);
    EXPECT_EQ(channel(1).highTime, 2000u);
    EXPECT_EQ(channel(1).lowTime, 3000u);
    EXPECT_EQ(device_.ApplyTiming(1, kModeRateSwitch, 100, 0, true), QN_OK);
    EXPECT_EQ(channel(1).highTime2, 50u);
    EXPECT_EQ(channel(1).lowTime2, 4950u);
    EXPECT_EQ(device_.ApplyDelay(1, kModeInternal, QN_PARAM_DELAY, 25), QN_OK);
    EXPECT_EQ(channel(1).delay, 125u);
    EXPECT_EQ(device_.ApplyDelay(1, kModeRateSwitch, QN_PARAM_DELAY2, 99'999'999), QN_OK);
    EXPECT_EQ(channel(1).delay2, 499'999'995u);
    EXPECT_EQ(device_.ApplyTiming(9, kModeInternal, 100, 40, false), QN_ERR_RANGE);
}

TEST_F(HubDeviceTest, ChannelModesSetUpSourcesModeAndRetrigger) {
    plug();
    open();
    ChannelConfig config = defaultConfig().channels[0];
    config.gateSource = 5;
    config.extSource = 2;
    config.delay = 10;

    config.mode = kModeBurstRetriggered;
    EXPECT_EQ(device_.ApplyChannelMode(0, config), QN_OK);
    EXPECT_EQ(channel(0).mode, 4u);
    EXPECT_EQ(channel(0).retrigger, 1u);
    EXPECT_EQ(channel(0).gateSource, 5u);
    EXPECT_EQ(channel(0).auxSource, 0u);
    EXPECT_EQ(channel(0).delay, 50u);
    EXPECT_EQ(channel(0).delay2, 0u);
    EXPECT_EQ(channel(0).highTime, 250'000u) << "5000 µs of 10000 µs";

    config.mode = kModeBurstSingle;
    EXPECT_EQ(device_.ApplyChannelMode(0, config), QN_OK);
    EXPECT_EQ(channel(0).mode, 4u);
    EXPECT_EQ(channel(0).retrigger, 0u);

    config.mode = kModeRateSwitch;
    EXPECT_EQ(device_.ApplyChannelMode(0, config), QN_OK);
    EXPECT_EQ(channel(0).mode, 3u);
    EXPECT_EQ(channel(0).gateSource, 1u) << "started on input A";
    EXPECT_EQ(channel(0).auxSource, 2u) << "switched by input B";

    config.mode = kModeExternal;
    config.period1 = 10;
    config.width1 = 4;
    EXPECT_EQ(device_.ApplyChannelMode(0, config), QN_OK);
    EXPECT_EQ(channel(0).mode, 1u);
    EXPECT_EQ(channel(0).extSource, 2u);
    EXPECT_EQ(channel(0).gateSource, 5u);
    EXPECT_EQ(channel(0).auxSource, 0u);
    EXPECT_EQ(channel(0).highTime, 8u);
    EXPECT_EQ(channel(0).lowTime, 12u);
    EXPECT_EQ(channel(0).delay, 20u);

    config.mode = 6;
    EXPECT_EQ(device_.ApplyChannelMode(0, config), QN_ERR_RANGE) << "the library refuses mode 6";
}

TEST_F(HubDeviceTest, AWholeConfigurationReachesTheLibraryAsTheWorkingCopyHasIt) {
    plug();
    open();
    DeviceConfig config = defaultConfig();
    config.channels[2].mode = kModeStartStop;
    config.channels[2].gateSource = 7;
    config.channels[2].gateInvert = 1;
    config.channels[5].mode = kModeBurstRetriggered;
    config.channels[5].pulseCount = 300;
    config.channels[6].invert = 1;
    config.channels[7].extInvert = 1;
    ASSERT_EQ(device_.ApplyConfiguration(config), QN_OK);

    EXPECT_EQ(channel(2).gateSource, 7u) << "a full configuration keeps the stored source";
    EXPECT_EQ(channel(2).auxSource, 2u);
    EXPECT_EQ(channel(2).gateInvert, 1u);
    EXPECT_EQ(channel(5).pulseCount, 300u);
    EXPECT_EQ(channel(5).retrigger, 1u);
    EXPECT_EQ(channel(6).idleLevel, 1u);
    EXPECT_EQ(channel(7).extInvert, 1u);
    for (std::size_t c = 0; c < kChannelCount; ++c) {
        EXPECT_EQ(channel(c).highTime, 250'000u);
        EXPECT_EQ(channel(c).lowTime, 250'000u);
    }

    QnDeviceSettings current{};
    current.size = QN_SETTINGS_SIZE;
    ASSERT_EQ(CZoqnHelper::ReadDeviceSettings(device_.handle(), &current), QN_OK);
    EXPECT_EQ(std::memcmp(&current, &device_.settings(), sizeof current), 0);
}

TEST_F(HubDeviceTest, OutputsOpenByTheChannelsSwitchedOnAndCloseAllTogether) {
    const auto hub = plug();
    open();
    DeviceConfig config = defaultConfig();
    EXPECT_FALSE(CHubDevice::AnyOutputOn(config));
    config.channels[0].outputOn = 1;
    config.channels[3].outputOn = 1;
    EXPECT_TRUE(CHubDevice::AnyOutputOn(config));

    std::size_t from = hub->requests(0xFB).size();
    device_.SwitchOutputs(config, true);
    ASSERT_FALSE(outputEnableWrites(*hub, from).empty());
    EXPECT_EQ(outputEnableWrites(*hub, from).back(), 9);

    from = hub->requests(0xFB).size();
    device_.SwitchOutputs(config, false);
    EXPECT_EQ(outputEnableWrites(*hub, from), (std::vector<int>{0}));

    from = hub->requests(0xFB).size();
    device_.SwitchOutputs(defaultConfig(), true);
    ASSERT_FALSE(outputEnableWrites(*hub, from).empty()) << "opened even with no channel on";
    EXPECT_EQ(outputEnableWrites(*hub, from).back(), 0);
}

TEST_F(HubDeviceTest, TheHubPutsOutThePulsesInTheUsersMicroseconds) {
    const auto clock = std::make_shared<hub::ManualHubClock>();
    const auto hub = plug({}, clock);
    open();
    DeviceConfig config = defaultConfig();
    config.channels[0].period1 = 100;
    config.channels[0].width1 = 40;
    config.channels[1].period1 = 100;
    config.channels[1].width1 = 100;  // a full-width pulse still falls for 1 µs
    config.channels[0].outputOn = config.channels[1].outputOn = 1;
    const hub::Waveform waveform = runForOneMillisecond(*hub, *clock, config);
    const auto first = phases(waveform, 0);
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(first[0], 40'000u);
    EXPECT_EQ(first[1], 60'000u);
    const auto second = phases(waveform, 1);
    ASSERT_GE(second.size(), 2u);
    EXPECT_EQ(second[0], 99'000u);
    EXPECT_EQ(second[1], 1'000u);
}

TEST_F(HubDeviceTest, ExternalClockPulsesAndDelaysCountWholeCyclesOfTheInput) {
    const auto clock = std::make_shared<hub::ManualHubClock>();
    const auto hub = plug({.inputAHz = 100'000.0}, clock);  // one cycle is 10 µs
    open();
    DeviceConfig config = defaultConfig();
    for (std::size_t c : {0u, 1u}) {
        ChannelConfig& channel = config.channels[c];
        channel.mode = kModeExternal;
        channel.extSource = 1;
        channel.period1 = 10;
        channel.width1 = 4;
        channel.outputOn = 1;
    }
    config.channels[1].delay = 3;
    const hub::Waveform waveform = runForOneMillisecond(*hub, *clock, config);
    const auto pulses = phases(waveform, 0);
    ASSERT_GE(pulses.size(), 2u);
    // Whole cycles of 10 µs each, give or take the few ticks the sequencer takes to see an edge.
    EXPECT_NEAR(static_cast<double>(pulses[0]), 40'000, 100) << "four cycles high";
    EXPECT_NEAR(static_cast<double>(pulses[1]), 60'000, 100) << "six cycles low";
    EXPECT_NEAR(static_cast<double>(firstRise(waveform, 1) - firstRise(waveform, 0)), 30'000, 100)
        << "a delay of three cycles";
}

TEST_F(HubDeviceTest, MeasuresTheInputsAndTheProgramsOwnOperationsUseTheSameBinder) {
    plug({.inputAHz = 1000.0, .inputBHz = 2500.0});
    QnDeviceRecord records[10];
    std::uint32_t count = 10;
    ASSERT_EQ(LoadDriver(), QN_OK);
    ASSERT_EQ(EnumDevices(records, &count), QN_OK);
    ASSERT_EQ(count, 1u);
    ASSERT_EQ(device_.Open(static_cast<std::uint32_t>(records[0].id)), QN_OK);

    std::int32_t period = 0;
    ASSERT_EQ(device_.SynchMeasure(1, 0, 1, &period, 2000), QN_OK);
    EXPECT_NEAR(period, 1'000'000, 100);
    ASSERT_EQ(device_.SynchMeasure(2, 0, 1, &period, 2000), QN_OK);
    EXPECT_NEAR(period, 400'000, 100);
}

}  // namespace
}  // namespace zo::quintel

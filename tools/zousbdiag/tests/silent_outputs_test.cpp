#include "tools/zousbdiag/silent_outputs.h"

#include <gtest/gtest.h>

namespace zousbdiag {
namespace {

// Every channel a working default pulse train: mode 0, one tick high, one tick low.
QnDeviceSettings workingSettings() {
    QnDeviceSettings settings{};
    settings.size = QN_SETTINGS_SIZE;
    for (QnChannelSettings& channel : settings.channels) {
        channel.highTime = channel.lowTime = channel.highTime2 = channel.lowTime2 = 1;
        channel.extSource = 1;
        channel.pulseCount = channel.retrigger = 1;
    }
    return settings;
}

std::vector<std::uint32_t> silentChannels(const QnDeviceSettings& settings, std::uint32_t mask,
                                          InputSignals inputs = {}) {
    std::vector<std::uint32_t> channels;
    for (const SilentOutput& silent : silentOutputs(settings, mask, inputs)) {
        channels.push_back(silent.channel);
    }
    return channels;
}

std::string reasonFor(const QnDeviceSettings& settings, std::uint32_t mask, std::uint32_t channel,
                      InputSignals inputs = {}) {
    for (const SilentOutput& silent : silentOutputs(settings, mask, inputs)) {
        if (silent.channel == channel) {
            return silent.reason;
        }
    }
    return "";
}

TEST(SilentOutputs, WorkingTrainsAndClosedChannelsAreNotReported) {
    QnDeviceSettings settings = workingSettings();
    settings.channels[1].lowTime = 0;  // a one-tick low phase still pulses
    EXPECT_TRUE(silentChannels(settings, 0xFF).empty());
    settings.channels[2].highTime = 0;
    EXPECT_TRUE(silentChannels(settings, 0x01).empty());  // channel 2 is not open
}

TEST(SilentOutputs, AZeroPulseWidthShowsNothingInEveryTickedMode) {
    QnDeviceSettings settings = workingSettings();
    for (const std::uint32_t mode : {0u, 2u, 4u}) {
        settings.channels[0] = workingSettings().channels[0];
        settings.channels[0].mode = mode;
        settings.channels[0].gateSource = mode == 4 ? 1 : 0;
        settings.channels[0].highTime = 0;
        settings.channels[0].lowTime = 0;
        EXPECT_EQ(reasonFor(settings, 0x1, 0), "HIGH_TIME is 0, so the output never becomes active")
            << "mode " << mode;
    }
    // A rate switch still has its second pulse set, unless that is zero too.
    settings.channels[0].mode = 3;
    EXPECT_TRUE(silentChannels(settings, 0x1).empty());
    settings.channels[0].highTime2 = 0;
    EXPECT_EQ(reasonFor(settings, 0x1, 0),
              "HIGH_TIME and HIGH_TIME2 are 0, so the output never becomes active");
    // In mode 1 the times count clock transitions, and the clock is what matters.
    settings.channels[0].mode = 1;
    EXPECT_TRUE(silentChannels(settings, 0x1).empty());
}

TEST(SilentOutputs, ABurstWithoutATriggerThatChangesNeverStarts) {
    QnDeviceSettings settings = workingSettings();
    settings.channels[0].mode = 4;
    EXPECT_EQ(reasonFor(settings, 0x1, 0), "it waits for a trigger, and GATE_SOURCE is none");

    // Triggered by input A: fine while A may have a signal, silent when it certainly has none.
    settings.channels[0].gateSource = 1;
    EXPECT_TRUE(silentChannels(settings, 0x1).empty());
    EXPECT_TRUE(silentChannels(settings, 0x1, {true, false}).empty());
    EXPECT_EQ(reasonFor(settings, 0x1, 0, {false, true}),
              "it waits for GATE_SOURCE (input A) to go high, which stays low");

    // Triggered by a closed output, which stays low: output sources wait for the invert level.
    settings.channels[0].gateSource = 3 + 5;
    settings.channels[0].gateInvert = 1;
    EXPECT_EQ(reasonFor(settings, 0x1, 0),
              "it waits for GATE_SOURCE (channel 5 output) to go high, which stays low");
    settings.channels[0].gateInvert = 0;
    EXPECT_TRUE(silentChannels(settings, 0x1).empty());  // low is what it waits for: one burst

    // Triggered by its own output, which keeps the idle level while it waits.
    settings.channels[0].gateSource = 3;
    settings.channels[0].gateInvert = 1;
    EXPECT_EQ(reasonFor(settings, 0x1, 0),
              "it waits for GATE_SOURCE (channel 0 output) to go high, which stays low");
    settings.channels[0].idleLevel = 1;
    EXPECT_TRUE(silentChannels(settings, 0x1).empty());
}

TEST(SilentOutputs, SilenceSpreadsToTheChannelsThatWaitForIt) {
    QnDeviceSettings settings = workingSettings();
    settings.channels[1].highTime = 0;  // open but silent at its inactive level, low
    settings.channels[2].mode = 4;
    settings.channels[2].gateSource = 3 + 1;
    settings.channels[2].gateInvert = 1;  // waits for channel 1 to go high
    EXPECT_EQ(silentChannels(settings, 0x06), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(reasonFor(settings, 0x06, 2),
              "it waits for GATE_SOURCE (channel 1 output) to go high, which stays low");
    // A silent channel that rests high lets the same trigger through.
    settings.channels[1].invert = 1;
    EXPECT_EQ(silentChannels(settings, 0x06), (std::vector<std::uint32_t>{1}));

    // Two channels waiting on each other are not judged.
    settings = workingSettings();
    settings.channels[3].mode = settings.channels[4].mode = 4;
    settings.channels[3].gateSource = 3 + 4;
    settings.channels[4].gateSource = 3 + 3;
    settings.channels[3].gateInvert = settings.channels[4].gateInvert = 1;
    EXPECT_TRUE(silentChannels(settings, 0x18).empty());
}

TEST(SilentOutputs, AnExternalClockThatNeverChangesCountsNothing) {
    QnDeviceSettings settings = workingSettings();
    settings.channels[0].mode = 1;
    settings.channels[0].extSource = 0;
    EXPECT_EQ(reasonFor(settings, 0x1, 0), "its clock input EXT_SOURCE is none");
    settings.channels[0].extSource = 2;
    EXPECT_EQ(reasonFor(settings, 0x1, 0, {true, false}),
              "its clock input EXT_SOURCE (input B) stays low");
    settings.channels[0].extSource = 3 + 6;
    EXPECT_EQ(reasonFor(settings, 0x1, 0),
              "its clock input EXT_SOURCE (channel 6 output) stays low");
    EXPECT_TRUE(silentChannels(settings, 0x41).empty());
}

TEST(SilentOutputs, AGateThatNeverOpensStopsATrain) {
    QnDeviceSettings settings = workingSettings();
    settings.channels[0].gateSource = 1;
    EXPECT_EQ(reasonFor(settings, 0x1, 0, {false, false}),
              "it waits for GATE_SOURCE (input A) to go high, which stays low");
    settings.channels[0].gateInvert = 1;  // an inverted gate is open while A stays low
    EXPECT_TRUE(silentChannels(settings, 0x1, {false, false}).empty());
}

}  // namespace
}  // namespace zousbdiag

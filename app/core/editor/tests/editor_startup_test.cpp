// The editor's start-up and close: the stored record, the first hub, the warnings, what is
// disabled without a device, and what is saved when the window closes.

#include <gtest/gtest.h>

#include <cstring>

#include "app/core/device_config_storage.h"
#include "app/core/editor/control_ids.h"
#include "app/core/editor/tests/editor_fixture.h"
#include "app/core/string_ids.h"
#include "app/core/window_pos.h"

namespace zo::quintel::testing {
namespace {

using StartUpTest = EditorTest;

DeviceConfig storedRecord() {
    DeviceConfig config;
    SetDefaultConfig(config);
    config.size = kDeviceConfigSize;
    config.currentChannel = 2;
    config.autoTimeBase = 0;
    config.timeBase = 5000;
    config.measuredPeriodA = 777;
    config.channels[1].outputOn = 1;
    config.channels[2].mode = kModeRateSwitch;
    config.channels[2].period1 = 500;
    config.channels[2].frequency1 = 2000;
    config.channels[2].width1 = 250;
    config.channels[4].locked = 1;
    return config;
}

TEST_F(StartUpTest, TheFirstHubIsConfiguredWithTheStoredRecordAndAllOutputsOff) {
    registry_.setBinary(ProgramRegistry::kUser, "0_DeviceCfg", storedRecord());
    registry_.setBinary(ProgramRegistry::kUser, "AppWindowPos", WindowPos{100, 50, 800, 500, 0, 0});
    plug();
    editor().Initialise();

    EXPECT_EQ(view_.splashes, 1);
    EXPECT_TRUE(editor().DeviceOpen());
    EXPECT_TRUE(view_.messages.empty()) << "a Hi-Speed hub needs no warning";
    for (std::size_t c = 0; c < kChannelCount; ++c) {
        EXPECT_EQ(channel(c).outputOn, 0u) << "every run starts with the outputs off";
        EXPECT_EQ(view_[ctl::OutputButton(static_cast<int>(c))].icon, 130 + static_cast<int>(c));
        EXPECT_TRUE(view_[ctl::OutputButton(static_cast<int>(c))].enabled);
    }
    EXPECT_EQ(editor().Config().measuredPeriodA, 0u) << "measured periods are not taken over";
    EXPECT_EQ(sent(2).mode, 3u);
    EXPECT_EQ(sent(2).highTime, 250u * 50);
    EXPECT_EQ(sent(0).highTime, 5000u * 50);

    EXPECT_EQ(view_[ctl::kChannelList].selected, 2);
    EXPECT_EQ(view_[ctl::kModeList].selected, 3);
    EXPECT_TRUE(view_[1121].shown) << "the second rate of the rate switch";
    EXPECT_EQ(view_.RowValue(1081, 7), 2000u);
    EXPECT_FALSE(view_[1081].lit);
    EXPECT_TRUE(view_[ctl::LockCheck(4)].checked);
    EXPECT_FALSE(view_[ctl::LockCheck(1)].checked);
    EXPECT_FALSE(view_[ctl::kAutoTimeBaseCheck].checked);
    EXPECT_EQ(view_[ctl::kTimeBaseEdit].text, "5000");
    EXPECT_TRUE(view_[ctl::kTimeBaseEdit].enabled);
    EXPECT_FALSE(view_.diagramAutomatic);
    EXPECT_EQ(view_.diagramTimeBase, 5000);
    EXPECT_EQ(view_[ctl::kFrequencyADisplay].value, 0.0);
    ASSERT_TRUE(view_.movedTo.has_value());
    EXPECT_EQ(view_.movedTo->left, 100);
    EXPECT_EQ(view_.movedTo->height, 500);
}

TEST_F(StartUpTest, WithoutAHubTheEditorWorksAloneAndClosesWithoutAQuestion) {
    registry_.setBinary(ProgramRegistry::kUser, "AppWindowPos", WindowPos{100, 50, 0, 500, 0, 0});
    editor().Initialise();

    EXPECT_FALSE(editor().DeviceOpen());
    for (int k = 0; k < 8; ++k) {
        EXPECT_FALSE(view_[ctl::OutputButton(k)].enabled);
    }
    for (int id : {ctl::kChannelList, ctl::kMeasureACheck, ctl::kMeasureBCheck}) {
        EXPECT_FALSE(view_[id].enabled) << id;
    }
    EXPECT_FALSE(view_.movedTo.has_value()) << "a placement of width 0 is ignored";

    editor().OnSpinDigit(true, 1092);
    EXPECT_EQ(channel(0).frequency1, 200u) << "the record changes without a device";
    EXPECT_EQ(view_.RowValue(1081, 7), 200u);

    EXPECT_TRUE(editor().ConfirmClose());
    EXPECT_TRUE(view_.messages.empty());
    editor().Shutdown();
    DeviceConfig saved;
    LoadDeviceConfig(saved, 0);
    EXPECT_EQ(saved.channels[0].frequency1, 200u) << "the record is saved without a device too";
}

TEST_F(StartUpTest, AHubOnAFullSpeedPortIsWarnedAboutOnceAndThenUsed) {
    plug({.speed = usb::Speed::Full});
    editor().Initialise();
    EXPECT_EQ(view_.messages, (std::vector<std::uint32_t>{ids::kFullSpeedPort}));
    EXPECT_TRUE(editor().DeviceOpen());
    editor().ToggleOutput(0);
    EXPECT_EQ(view_.messages.size(), 1u);
}

TEST_F(StartUpTest, ClosingWithAHubAsksFirstAndShutdownLeavesTheHubQuietAndTheRecordSaved) {
    const auto hub = plug();
    editor().Initialise();
    editor().ToggleOutput(1);
    editor().OnSpinDigit(true, 1092);

    view_.yesNoAnswer = MessageAnswer::kNo;
    EXPECT_FALSE(editor().ConfirmClose());
    EXPECT_EQ(view_.messages, (std::vector<std::uint32_t>{ids::kConfirmQuit}));
    view_.yesNoAnswer = MessageAnswer::kYes;
    EXPECT_TRUE(editor().ConfirmClose());

    const std::size_t from = writeCount(*hub);
    editor().Shutdown();
    const std::vector<int> enables = outputEnableWrites(*hub, from);
    ASSERT_FALSE(enables.empty());
    EXPECT_EQ(enables.back(), 0) << "all outputs closed";
    EXPECT_EQ(editor().Device().handle(), nullptr);
    EXPECT_FALSE(editor().DeviceOpen());

    const auto stored = registry_.get(ProgramRegistry::kUser, "0_DeviceCfg");
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->bytes.size(), kDeviceConfigSize);
    EXPECT_EQ(stored->bytes[0], 0x18);
    EXPECT_EQ(stored->bytes[1], 0x05);
    DeviceConfig saved;
    std::memcpy(&saved, stored->bytes.data(), sizeof saved);
    EXPECT_EQ(saved.channels[0].frequency1, 200u);
    EXPECT_EQ(saved.channels[1].outputOn, 1u) << "saved as it was, cleared at the next start";

    const WindowPos pos = ReadWindowPos();
    EXPECT_EQ(pos.left, view_.placement.left);
    EXPECT_EQ(pos.width, view_.placement.width);

    const std::size_t after = writeCount(*hub);
    editor().Shutdown();
    editor().ToggleOutput(2);
    EXPECT_EQ(writeCount(*hub), after) << "nothing reaches the hub after the close";
}

TEST_F(StartUpTest, TheLanguageCommandStoresAnotherLanguageAfterTheRestartNotice) {
    registry_.setDword(ProgramRegistry::kUser, "Language", 0);
    editor().Initialise();

    view_.chosenLanguage = 0;
    editor().OnLanguageCommand();
    EXPECT_EQ(view_.offeredLanguages.front(), 0) << "English is always offered";
    EXPECT_EQ(view_.offeredCurrent, 0);
    EXPECT_TRUE(view_.messages.empty()) << "the language in use: no message";

    view_.chosenLanguage.reset();
    editor().OnLanguageCommand();
    EXPECT_TRUE(view_.messages.empty()) << "cancelled";

    view_.chosenLanguage = 3;
    editor().OnLanguageCommand();
    EXPECT_EQ(view_.messages, (std::vector<std::uint32_t>{ids::kRestartForLanguage}));
    const auto stored = registry_.get(ProgramRegistry::kUser, "Language");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->bytes, (std::vector<std::uint8_t>{3, 0, 0, 0}));

    editor().OnAboutCommand();
    ASSERT_TRUE(view_.about.has_value());
    EXPECT_EQ(view_.about->version, "1.00.00");
}

}  // namespace
}  // namespace zo::quintel::testing

// The editor's handlers: every edit changes the record, reaches the hub at once when a device is
// open, and shows the channel as the record has it.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/core/editor/control_ids.h"
#include "app/core/editor/tests/editor_fixture.h"

namespace zo::quintel::testing {
namespace {

class EditTest : public EditorTest {
  protected:
    void SetUp() override {
        hub_ = plug();
        editor().Initialise();
        ASSERT_TRUE(editor().DeviceOpen());
    }

    std::shared_ptr<test::RecordingDevice> hub_;
};

TEST_F(EditTest, ADigitStepWithTheOutputOnUploadsTheChannelAndRestartsTheOutputs) {
    editor().ToggleOutput(0);
    ASSERT_EQ(channel(0).outputOn, 1u);
    EXPECT_TRUE(view_[1081].lit) << "the current channel's digits light up with its output";
    const std::size_t from = writeCount(*hub_);
    const int redraws = view_.redraws;

    editor().OnSpinDigit(true, 1092);  // 100 Hz -> 200 Hz
    EXPECT_EQ(channel(0).frequency1, 200u);
    EXPECT_EQ(channel(0).period1, 5000u);
    EXPECT_EQ(channel(0).width1, 2500u) << "the duty cycle is kept";
    EXPECT_EQ(sent(0).highTime, 2500u * 50);
    EXPECT_EQ(sent(0).lowTime, 2500u * 50);
    EXPECT_EQ(view_.RowValue(1081, 7), 200u);
    EXPECT_EQ(view_.redraws, redraws + 1);

    const std::vector<int> enables = outputEnableWrites(*hub_, from);
    ASSERT_FALSE(enables.empty());
    EXPECT_EQ(enables.front(), 0) << "outputs closed before the change";
    EXPECT_EQ(enables.back(), 1) << "and opened again";
    const std::vector<int> registers = writtenRegisters(*hub_, from);
    EXPECT_GT(std::count_if(registers.begin(), registers.end(),
                            [](int r) { return r != kOutputEnableRegister; }),
              0)
        << "the channel's program was uploaded";
}

TEST_F(EditTest, WithAllOutputsOffAStepOnlyChangesTheWorkingSettings) {
    const std::size_t from = writeCount(*hub_);
    editor().OnSpinDigit(false, 1172);  // delay digit 3: 0 -> 9000 (900 µs)
    EXPECT_EQ(channel(0).delay, 9000u);
    EXPECT_EQ(sent(0).delay, 45'000u);
    EXPECT_EQ(view_.RowValue(1160, 8), 9000u);
    for (int r : writtenRegisters(*hub_, from)) {
        EXPECT_EQ(r, kOutputEnableRegister) << "no upload while every output is off";
    }

    editor().OnDelayReset();
    EXPECT_EQ(channel(0).delay, 0u);
    EXPECT_EQ(sent(0).delay, 0u);
    EXPECT_EQ(view_.RowValue(1160, 8), 0u);
}

TEST_F(EditTest, LockedChannelsSwitchTogetherWithOneOpenAndOthersAlone) {
    editor().ToggleOutput(5);  // on alone, before it joins the group
    for (int k : {3, 5, 6}) {
        editor().OnLockClicked(k, true);
    }
    std::size_t from = writeCount(*hub_);
    editor().ToggleOutput(3);
    for (std::size_t k : {3u, 5u, 6u}) {
        EXPECT_EQ(channel(k).outputOn, 1u) << k;
        EXPECT_TRUE(view_[ctl::OutputButton(static_cast<int>(k))].checked);
        EXPECT_EQ(view_[ctl::OutputButton(static_cast<int>(k))].icon, 143 + static_cast<int>(k));
    }
    std::vector<int> enables = outputEnableWrites(*hub_, from);
    EXPECT_EQ(std::count_if(enables.begin(), enables.end(), [](int v) { return v != 0; }), 1)
        << "one open of the outputs";
    EXPECT_EQ(enables.back(), 0x68);

    editor().ToggleOutput(0);
    EXPECT_EQ(channel(0).outputOn, 1u);
    EXPECT_EQ(channel(3).outputOn, 1u);

    from = writeCount(*hub_);
    editor().ToggleOutput(5);
    for (std::size_t k : {3u, 5u, 6u}) {
        EXPECT_EQ(channel(k).outputOn, 0u) << k;
        EXPECT_EQ(view_[ctl::OutputButton(static_cast<int>(k))].icon, 130 + static_cast<int>(k));
    }
    EXPECT_EQ(channel(0).outputOn, 1u) << "an unlocked channel is not in the group";
    EXPECT_EQ(outputEnableWrites(*hub_, from), (std::vector<int>{1}))
        << "only the group closes; channel 0 runs on undisturbed";
}

TEST_F(EditTest, FlagsAndSourcesOfTheCurrentChannelGoToTheDevice) {
    editor().ToggleOutput(0);
    const int redraws = view_.redraws;
    editor().OnInvertClicked(true);
    EXPECT_EQ(channel(0).invert, 1u);
    EXPECT_EQ(sent(0).invert, 1u);
    EXPECT_EQ(sent(0).idleLevel, 1u) << "the idle level follows the invert";
    editor().OnGateSourceSelected(6);
    EXPECT_EQ(sent(0).gateSource, 6u);
    editor().OnGateInvertClicked(true);
    EXPECT_EQ(sent(0).gateInvert, 1u);
    editor().OnExternalSourceSelected(2);
    EXPECT_EQ(sent(0).extSource, 2u);
    editor().OnExternalInvertClicked(true);
    EXPECT_EQ(sent(0).extInvert, 1u);
    EXPECT_EQ(view_.redraws, redraws + 5) << "the diagram follows every setting";

    editor().OnGateSourceSelected(3);
    EXPECT_EQ(channel(0).gateSource, 6u) << "channel 0 cannot gate itself";
    editor().OnExternalSourceSelected(0);
    EXPECT_EQ(channel(0).extSource, 2u);
}

TEST_F(EditTest, AModeChangeSetsUpTheChannelAndTheControlsOfItsMode) {
    editor().OnModeSelected(kModeBurstRetriggered);
    EXPECT_EQ(sent(0).mode, 4u);
    EXPECT_EQ(sent(0).retrigger, 1u);
    EXPECT_EQ(view_[ctl::kGateCaption].text, "Trigger");
    EXPECT_EQ(view_[ctl::kWidth2UnitList].items, (ListItems{{"Number of Pulses", 0}}));
    EXPECT_TRUE(view_[1141].shown);
    EXPECT_EQ(view_.RowValue(1141, 6), 1u) << "row 4 shows the number of pulses";
    EXPECT_FALSE(view_[1153].enabled);
    EXPECT_TRUE(view_[1152].enabled);

    editor().OnModeSelected(kModeExternal);
    EXPECT_EQ(channel(0).rate1Unit, kRateAsPeriod) << "an external clock is edited as a period";
    EXPECT_EQ(channel(0).width1Unit, kWidthAsDuty);
    EXPECT_FALSE(view_[ctl::kRate1UnitList].enabled);
    EXPECT_EQ(view_[ctl::kRate1UnitList].items[1].text, "Period [cks]");
    EXPECT_EQ(view_[ctl::kRate1UnitList].selected, 1);
    EXPECT_EQ(view_[ctl::kDelayCaption].text, "Delay [cks]");
    EXPECT_FALSE(view_[ctl::kDelayPoint].shown);
    EXPECT_TRUE(view_[ctl::kExternalSourceList].shown);
    EXPECT_FALSE(view_[1141].shown);
    editor().OnSpinDigit(false, 1094);  // 10000 cycles: the ten-thousands digit down
    EXPECT_EQ(channel(0).period1, 1u) << "0 cycles become 1, the shortest external period";
    for (int i = 0; i < 4; ++i) {
        editor().OnSpinDigit(true, 1090);
    }
    EXPECT_EQ(channel(0).period1, 5u);
    EXPECT_EQ(sent(0).highTime, 2u * 2) << "2 of 5 cycles at 500 ‰, two transitions each";
    EXPECT_EQ(sent(0).lowTime, 3u * 2);

    editor().OnModeSelected(kModeInternal);
    EXPECT_EQ(channel(0).period1, 10u) << "5 µs is below the internal clock's shortest period";
    EXPECT_EQ(channel(0).frequency1, 100'000u);
    EXPECT_EQ(sent(0).mode, 0u);
    EXPECT_EQ(sent(0).highTime + sent(0).lowTime, 10u * 50);
    EXPECT_TRUE(view_[ctl::kRate1UnitList].enabled);
    EXPECT_EQ(view_[ctl::kRate1UnitList].items[1].text, "Period [µs]");

    editor().OnModeSelected(kModeStartStop);
    EXPECT_EQ(sent(0).gateSource, 1u) << "started on input A";
    EXPECT_EQ(sent(0).auxSource, 2u);
    EXPECT_FALSE(view_[ctl::kGateSourceList].shown);
}

TEST_F(EditTest, AChannelChangeShowsThatChannelAndSendsNothing) {
    editor().ToggleOutput(0);
    const std::size_t from = writeCount(*hub_);
    editor().OnChannelSelected(2);
    EXPECT_EQ(editor().Config().currentChannel, 2u);
    EXPECT_FALSE(view_[1081].lit) << "channel 2 is off";
    EXPECT_EQ(view_[ctl::kLabelEdit].text, "Channel 02");
    const ListItems& gates = view_[ctl::kGateSourceList].items;
    EXPECT_EQ(std::count_if(gates.begin(), gates.end(),
                            [](const ListItem& item) { return item.data == 5; }),
              0)
        << "channel 2 is not its own gate";
    editor().OnChannelSelected(0);
    EXPECT_TRUE(view_[1081].lit);
    editor().OnChannelSelected(8);
    EXPECT_EQ(editor().Config().currentChannel, 0u);
    EXPECT_EQ(writeCount(*hub_), from);
}

TEST_F(EditTest, UnitListsChangeHowARowIsShownNotWhatIsSent) {
    const std::size_t from = writeCount(*hub_);
    EXPECT_FALSE(view_[1096].enabled) << "a frequency has no millions digit";
    editor().OnUnitSelected(ctl::kRate1UnitList, kRateAsPeriod);
    EXPECT_EQ(view_.RowValue(1081, 7), 10'000u);
    EXPECT_TRUE(view_[1096].enabled);
    EXPECT_TRUE(view_[1087].enabled);

    EXPECT_FALSE(view_[1113].enabled) << "a duty cycle has three digits";
    editor().OnUnitSelected(ctl::kWidth1UnitList, kWidthAsWidth);
    EXPECT_EQ(view_.RowValue(1101, 6), 5000u);
    EXPECT_TRUE(view_[1115].enabled);
    EXPECT_EQ(writeCount(*hub_), from);

    editor().OnModeSelected(kModeBurstSingle);
    editor().OnUnitSelected(ctl::kWidth2UnitList, 0);
    EXPECT_EQ(channel(0).width2Unit, kWidthAsDuty)
        << "choosing \"Number of Pulses\" leaves the second width's unit alone";
    editor().OnUnitSelected(ctl::kWidth1UnitList, 7);
    EXPECT_EQ(channel(0).width1Unit, kWidthAsWidth);
}

TEST_F(EditTest, TheLabelKeepsSixtyThreeBytesAndNeverHalfACharacter) {
    const std::size_t from = writeCount(*hub_);
    editor().OnLabelEdited(std::string(70, 'x'));
    EXPECT_EQ(std::string(channel(0).label.data()), std::string(63, 'x'));
    const std::string micro = std::string(62, 'y') + "µs";  // µ takes bytes 62 and 63
    editor().OnLabelEdited(micro);
    EXPECT_EQ(std::string(channel(0).label.data()), std::string(62, 'y'));
    editor().OnLabelEdited("Laser");
    EXPECT_EQ(std::string(channel(0).label.data()), "Laser");
    EXPECT_EQ(writeCount(*hub_), from);
}

TEST_F(EditTest, TheAutomaticTimeBaseIsShownAndFillsAnUnsetOne) {
    view_.autoRange = 40'000;
    editor().ToggleOutput(0);
    EXPECT_EQ(view_[ctl::kTimeBaseEdit].text, "40000");
    EXPECT_EQ(editor().Config().timeBase, 40'000u) << "an unset time base takes the automatic one";
    view_.autoRange = 80'000;
    editor().OnSpinDigit(false, 1092);
    EXPECT_EQ(view_[ctl::kTimeBaseEdit].text, "80000");
    EXPECT_EQ(editor().Config().timeBase, 40'000u) << "a set time base stays";
    editor().OnTimeBaseEdited("1234");
    EXPECT_EQ(editor().Config().timeBase, 40'000u) << "typing is ignored while automatic";
}

TEST_F(EditTest, ATypedTimeBaseAppliesOnlyWhenItIsANewPositiveNumber) {
    editor().OnAutoTimeBaseClicked(false);
    EXPECT_EQ(editor().Config().autoTimeBase, 0u);
    EXPECT_TRUE(view_[ctl::kTimeBaseEdit].enabled);
    EXPECT_EQ(view_[ctl::kTimeBaseEdit].text, "0");
    EXPECT_FALSE(view_.diagramAutomatic);

    editor().OnTimeBaseEdited("2500");
    EXPECT_EQ(editor().Config().timeBase, 2500u);
    EXPECT_EQ(view_.diagramTimeBase, 2500);
    const int redraws = view_.redraws;
    for (const char* ignored : {"0", "", "abc", "12x", "2500", "-5", "2147483648", "99999999999"}) {
        editor().OnTimeBaseEdited(ignored);
        EXPECT_EQ(editor().Config().timeBase, 2500u) << ignored;
    }
    EXPECT_EQ(view_.redraws, redraws) << "nothing ignored is redrawn";
    editor().OnTimeBaseEdited(" 2147483647");
    EXPECT_EQ(editor().Config().timeBase, 2'147'483'647u);

    view_.autoRange = 300;
    editor().OnAutoTimeBaseClicked(true);
    EXPECT_FALSE(view_[ctl::kTimeBaseEdit].enabled);
    EXPECT_TRUE(view_.diagramAutomatic);
    EXPECT_EQ(view_[ctl::kTimeBaseEdit].text, "300");
}

}  // namespace
}  // namespace zo::quintel::testing

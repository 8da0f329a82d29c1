// End to end: for each program mode, a configuration made by clicking the main window's controls
// puts out on the simulated hub the waveform that the window's timing diagram draws, to within one
// column. The diagram states what a mode means; a case that has to avoid a moment the diagram
// cannot show (a tick's race between two channels) says why.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "app/core/diagram/diagram_trace.h"
#include "app/core/editor/control_ids.h"
#include "app/ui/diagram/time_wnd.h"
#include "app/ui/dialog/tests/dialog_fixture.h"
#include "app/ui/dialog/tests/waveform_columns.h"
#include "app/ui/dig_edit.h"
#include "app/ui/tests/screenshot.h"

namespace zo::quintel::testing {
namespace {

constexpr int kMicrosecondsPerColumn = 50;
constexpr std::uint64_t kStepPerLook = 10'000;  // ns

// A hub clock that moves `step` nanoseconds each time it is read, and as far as the test says.
class SteppingHubClock final : public hub::HubClock {
  public:
    explicit SteppingHubClock(std::uint64_t step) : step_(step) {}
    std::uint64_t nanosecondsSincePowerOn() const override { return now_.fetch_add(step_); }
    void advance(std::uint64_t nanoseconds) { now_.fetch_add(nanoseconds); }

  private:
    const std::uint64_t step_;
    mutable std::atomic<std::uint64_t> now_{0};
};

class WaveformTest : public DialogTest {
  protected:
    // A hub on a clock that stands still until the test moves it (or on `running`, a clock of
    // its own), and the window on it with a manual time base of whole columns of 50 µs each.
    void openOn(hub::HubOptions options, std::shared_ptr<const hub::HubClock> running = nullptr) {
        clock_ = std::make_shared<hub::ManualHubClock>();
        hub_ = plug(options, running ? running : clock_);
        open();
        ASSERT_TRUE(dialog().Editor().DeviceOpen());
        columns_ = dialog().Diagram()->PlotLayout().Columns();
        ASSERT_GT(columns_, 100);
        tick(ctl::kAutoTimeBaseCheck);
        typeInto(ctl::kTimeBaseEdit, QString::number(TimeRange()));
        ASSERT_EQ(dialog().Editor().Config().timeBase, static_cast<std::uint32_t>(TimeRange()));
    }

    std::int32_t TimeRange() const { return columns_ * kMicrosecondsPerColumn; }

    // Row 1 of the current channel from 100 Hz to 1000 Hz (1000 µs): thousands up, hundreds down.
    void setOneKilohertz() {
        clickSpin(1093, true);
        clickSpin(1092, false);
        ASSERT_EQ(channel(dialog().Editor().Config().currentChannel).frequency1, 1000u);
    }

    // Lets the hub run for the diagram's time range from the moment of the last output switch
    // (the clock has stood still since) and compares what each channel put out.
    void expectAsDrawn(const std::vector<std::size_t>& channels, const char* picture) {
        hub_->hub().startRecording();
        const std::uint64_t start = clock_->nanosecondsSincePowerOn();
        clock_->advance(static_cast<std::uint64_t>(TimeRange()) * 1000 + 1000);
        compare(hub_->hub().stopRecording(), start, channels);
        SaveScreenshot(dialog(), picture);
    }

    void compare(const hub::Waveform& waveform, std::uint64_t start,
                 const std::vector<std::size_t>& channels) {
        const DiagramTrace drawn =
            TraceTimeDiagram(dialog().Editor().Config(), TimeRange(), columns_);
        for (std::size_t c : channels) {
            const std::vector<std::uint8_t> put = HubColumns(
                waveform, static_cast<std::uint8_t>(c), start, kMicrosecondsPerColumn, columns_);
            EXPECT_TRUE(ColumnsApart(drawn.levels[c], put).empty())
                << "channel " << c << "\n drawn " << Picture(drawn.levels[c]) << "\n   hub "
                << Picture(put);
        }
    }

    std::shared_ptr<hub::ManualHubClock> clock_;
    std::shared_ptr<test::RecordingDevice> hub_;
    int columns_ = 0;
};

TEST_F(WaveformTest, InternalAPulseTrainAfterItsDelay) {
    openOn({});
    clickSpin(1172, true, 3);  // delay 300.0 µs
    click(ctl::OutputButton(0));
    expectAsDrawn({0}, "main_mode_internal");
}

TEST_F(WaveformTest, InternalGatedByAChannelRunsWhileThatChannelIsHigh) {
    openOn({});
    choose(ctl::kChannelList, 1);
    setOneKilohertz();
    choose(ctl::kGateSourceList, 3);  // "Channel 0"
    click(ctl::OutputButton(0));
    click(ctl::OutputButton(1));
    expectAsDrawn({0, 1}, "main_mode_internal_gated");
}

TEST_F(WaveformTest, ExternalCyclesOfTheMeasuredInput) {
    // The diagram counts the cycles of the input as measured. A measurement needs the hub's time
    // to pass from one request to the next, as it does on a real bus: this hub's clock moves a
    // little with every look at it, and as far as the test moves it. The measurement goes on,
    // so the diagram keeps its period.
    const auto clock = std::make_shared<SteppingHubClock>(kStepPerLook);
    openOn({.inputAHz = 1'000'000.0}, clock);
    tick(ctl::kMeasureACheck);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (dialog().Editor().Config().measuredPeriodA == 0 &&
           std::chrono::steady_clock::now() < deadline) {
        settle();
    }
    ASSERT_NEAR(dialog().Editor().Config().measuredPeriodA, 1000, 2);
    // The read-out shows all seven digits of 1 MHz.
    auto* readOut = control<CDigEdit>(ctl::kFrequencyADisplay);
    EXPECT_EQ(readOut->text(), "1000000.0");
    EXPECT_LE(readOut->fontMetrics().horizontalAdvance(readOut->text()),
              readOut->contentsRect().width());
    choose(ctl::kModeList, kModeExternal);  // 10000 cycles of 1 µs, duty cycle 500 ‰
    hub_->hub().startRecording();
    click(ctl::OutputButton(0));
    clock->advance(static_cast<std::uint64_t>(TimeRange()) * 1000 + 100'000);
    const hub::Waveform waveform = hub_->hub().stopRecording();
    // The outputs started at the moment the switching request reached the hub: the first rise
    // of the output marks it.
    std::uint64_t start = 0;
    for (const hub::WaveformTransition& transition : waveform.transitions) {
        if (transition.wire == 0 && transition.level) {
            start = transition.nanoseconds;
            break;
        }
    }
    ASSERT_NE(start, 0u) << "channel 0 never rose";
    compare(waveform, start, {0});
    SaveScreenshot(dialog(), "main_mode_external");
}

TEST_F(WaveformTest, StartStopStartedOnInputAWhileInputBLetsItRun) {
    openOn({.inputAHz = 1'000'000.0, .inputBHz = 0.0});
    choose(ctl::kModeList, kModeStartStop);
    clickSpin(1172, true, 2);  // delay 200.0 µs
    click(ctl::OutputButton(0));
    expectAsDrawn({0}, "main_mode_start_stop");
}

TEST_F(WaveformTest, RateSwitchTwoPeriodsOfRateOneThenRateTwo) {
    // The mode starts on input A and switches on input B. The outputs open 60 ms after power-on:
    // input A (12.5 Hz, high from 40 ms to 80 ms) is active then and falls as input B (6.25 Hz)
    // rises at 80 ms, after two periods of rate 1 (20 ms); neither changes again in the picture.
    openOn({.inputAHz = 12.5, .inputBHz = 6.25});
    ASSERT_LE(TimeRange(), 40'000);
    choose(ctl::kModeList, kModeRateSwitch);
    clickSpin(1132, true);  // rate 2: 200 Hz
    clock_->advance(60'000'000);
    click(ctl::OutputButton(0));
    expectAsDrawn({0}, "main_mode_rate_switch");
}

TEST_F(WaveformTest, BurstSingleOneBurstAfterTheDelay) {
    openOn({});
    choose(ctl::kModeList, kModeBurstSingle);
    setOneKilohertz();
    clickSpin(1150, true, 2);  // 3 pulses
    clickSpin(1172, true, 5);  // delay 500.0 µs
    click(ctl::OutputButton(0));
    expectAsDrawn({0}, "main_mode_burst_single");
}

TEST_F(WaveformTest, BurstRetriggeredOnEachRiseOfItsTriggeringChannel) {
    // Channel 0 rises first after its delay: a rise at the very moment the outputs open comes
    // before the triggered channel watches its trigger, so no hub takes it for an edge, while
    // the diagram, which knows no ticks, draws a burst there.
    openOn({});
    clickSpin(1172, true, 3);  // channel 0: delay 300.0 µs
    choose(ctl::kChannelList, 1);
    choose(ctl::kModeList, kModeBurstRetriggered);
    setOneKilohertz();
    clickSpin(1150, true, 1);         // 2 pulses
    choose(ctl::kGateSourceList, 3);  // triggered by channel 0
    click(ctl::OutputButton(0));
    click(ctl::OutputButton(1));
    expectAsDrawn({0, 1}, "main_mode_burst_retriggered");
}

}  // namespace
}  // namespace zo::quintel::testing

// Settings made through the library come out of the simulated hub as waveforms.

#include <memory>

#include "hub/hub_clock.h"
#include "hub/waveform.h"
#include "library/tests/library_test_support.h"

namespace zo::test {
namespace {

// Rising edges of one output in a recording.
std::vector<std::uint64_t> risingEdges(const hub::Waveform& waveform, std::uint8_t wire) {
    std::vector<std::uint64_t> rising;
    for (const hub::WaveformTransition& transition : waveform.transitions) {
        if (transition.wire == wire && transition.level) {
            rising.push_back(transition.nanoseconds);
        }
    }
    return rising;
}

class HubWaveformTest : public LibraryTest {
  protected:
    void SetUp() override { openOn({}); }
    // A hub on a clock that stands still until record() moves it, so a recording covers the
    // same stretch of the hub's time however busy the machine is.
    void openOn(const hub::HubOptions& options) {
        hub_ = std::make_shared<RecordingDevice>(options, clock_);
        plugDevice(hub_);
        handle_ = probeAndOpen();
        ASSERT_NE(handle_, nullptr);
    }
    // One millisecond of the hub's time.
    hub::Waveform record() {
        hub_->hub().startRecording();
        clock_->advance(1'000'000);
        return hub_->hub().stopRecording();
    }
    void setTrain(unsigned channel, uint32_t high, uint32_t low) {
        QnDeviceSettings settings{};
        settings.size = QN_SETTINGS_SIZE;
        ASSERT_EQ(QnReadDeviceSettings(handle_, &settings), QN_OK);
        ASSERT_EQ(QnSetParameter(handle_, &settings, channel, QN_PARAM_HIGH_TIME, high), QN_OK);
        ASSERT_EQ(QnSetParameter(handle_, &settings, channel, QN_PARAM_LOW_TIME, low), QN_OK);
        ASSERT_EQ(QnRefreshDeviceSettings(handle_, &settings), QN_OK);
    }

    std::shared_ptr<hub::ManualHubClock> clock_ = std::make_shared<hub::ManualHubClock>();
    std::shared_ptr<RecordingDevice> hub_;
    QnHandle handle_ = nullptr;
};

TEST_F(HubWaveformTest, ATrainOfThirtyAndTwentyTicksHasAPeriodOfOneMicrosecond) {
    setTrain(0, 30, 20);
    ASSERT_EQ(QnOpenOutputs(handle_, 1), QN_OK);
    const auto rising = risingEdges(record(), 0);
    ASSERT_GE(rising.size(), 3u);
    for (std::size_t i = 1; i < rising.size(); ++i) {
        ASSERT_EQ(rising[i] - rising[i - 1], 1000u) << "edge " << i;
    }
}

TEST_F(HubWaveformTest, OutputsRestartInStepAfterAnyUpload) {
    setTrain(0, 30, 20);
    setTrain(1, 30, 20);
    ASSERT_EQ(QnOpenOutputs(handle_, 3), QN_OK);
    setTrain(2, 10, 10);  // an upload of another channel re-arms both running ones
    const hub::Waveform waveform = record();
    const auto first = risingEdges(waveform, 0);
    const auto second = risingEdges(waveform, 1);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, second);
}

TEST_F(HubWaveformTest, AReopenedHubRunsTheChannelsTheLibraryDoesNotUploadAgain) {
    // Channel 1 keeps its default train (one tick high, one low) from the first open on, so the
    // reopen, whose reset stops every sequencer, finds nothing to upload for it.
    ASSERT_EQ(QnCloseDevice(handle_), QN_OK);
    const std::size_t before = hub_->requests(0xFB).size();
    ASSERT_EQ(QnOpenDevice(1, &handle_), QN_OK);
    for (std::size_t i = before; i < hub_->requests(0xFB).size(); ++i) {
        const int reg = hub_->requests(0xFB)[i].setup.value & 0xFF;
        ASSERT_FALSE(reg >= 4 && reg < 8 && reg != 7) << "channel 1 was loaded again";
    }
    ASSERT_EQ(QnOpenOutputs(handle_, 2), QN_OK);
    const auto rising = risingEdges(record(), 1);
    ASSERT_GE(rising.size(), 3u);
    EXPECT_EQ(rising[1] - rising[0], 40u);
}

// A hub whose input A switches a gate at 20 kHz: 25 µs open, 25 µs closed.
class GatedWaveformTest : public HubWaveformTest {
  protected:
    void SetUp() override { openOn({.inputAHz = 20000.0}); }
};

TEST_F(GatedWaveformTest, AGatedTrainKeepsItsPeriodAndPulseWidthWhileTheGateIsOpen) {
    QnDeviceSettings settings{};
    settings.size = QN_SETTINGS_SIZE;
    ASSERT_EQ(QnReadDeviceSettings(handle_, &settings), QN_OK);
    ASSERT_EQ(QnSetParameter(handle_, &settings, 0, QN_PARAM_GATE_SOURCE, 1), QN_OK);  // input A
    ASSERT_EQ(QnSetParameter(handle_, &settings, 0, QN_PARAM_HIGH_TIME, 10), QN_OK);
    ASSERT_EQ(QnSetParameter(handle_, &settings, 0, QN_PARAM_LOW_TIME, 10), QN_OK);
    ASSERT_EQ(QnRefreshDeviceSettings(handle_, &settings), QN_OK);
    ASSERT_EQ(QnOpenOutputs(handle_, 1), QN_OK);
    const hub::Waveform waveform = record();
    std::vector<hub::WaveformTransition> out0;
    for (const hub::WaveformTransition& transition : waveform.transitions) {
        if (transition.wire == 0) {
            out0.push_back(transition);
        }
    }
    ASSERT_GE(out0.size(), 100u);
    std::size_t pulses = 0;
    for (std::size_t i = 1; i + 2 < out0.size(); ++i) {
        if (!out0[i].level) {
            continue;
        }
        const std::uint64_t lowBefore = out0[i].nanoseconds - out0[i - 1].nanoseconds;
        const std::uint64_t width = out0[i + 1].nanoseconds - out0[i].nanoseconds;
        const std::uint64_t lowAfter = out0[i + 2].nanoseconds - out0[i + 1].nanoseconds;
        // Inside an open gate every pulse is 10 ticks high between lows of 10 ticks; the pulses
        // next to the gate's edges (a longer low before or after, a cut pulse) are left out.
        if (lowBefore < 1000 && lowAfter < 1000) {
            ++pulses;
            ASSERT_EQ(width, 200u) << "pulse at " << out0[i].nanoseconds;
            ASSERT_EQ(lowBefore, 200u) << "pulse at " << out0[i].nanoseconds;
        }
    }
    EXPECT_GT(pulses, 500u);
}

}  // namespace
}  // namespace zo::test

// The measurement of inputs A and B: one pass on the hub, the worker thread's life, and how the
// editor shows the read-outs on its own thread.

#include "app/core/editor/measurement_worker.h"

#include <gtest/gtest.h>

#include <atomic>

#include "app/core/editor/control_ids.h"
#include "app/core/editor/tests/editor_fixture.h"

namespace zo::quintel::testing {
namespace {

class MeasurementTest : public EditorTest {
  protected:
    void open() {
        ASSERT_EQ(LoadDriver(), QN_OK);
        QnDeviceRecord records[10];
        std::uint32_t count = 10;
        ASSERT_EQ(EnumDevices(records, &count), QN_OK);
        ASSERT_EQ(count, 1u);
        ASSERT_EQ(device_.Open(static_cast<std::uint32_t>(records[0].id)), QN_OK);
        device_.m_bOpen = true;
    }

    CHubDevice device_;
};

TEST(MeasurementReadout, APeriodInNanosecondsReadsAsHertz) {
    EXPECT_DOUBLE_EQ(FrequencyOfPeriod(1'000'000), 1000.0);
    EXPECT_DOUBLE_EQ(FrequencyOfPeriod(400'000), 2500.0);
    EXPECT_DOUBLE_EQ(FrequencyOfPeriod(0), 0.0);
}

TEST_F(MeasurementTest, APassMeasuresTheTickedInputsAndSaysWhenAPeriodChanged) {
    plug({.inputAHz = 1000.0, .inputBHz = 2500.0});
    MeasurementWorker worker(device_, {});
    EXPECT_FALSE(worker.MeasurePass().has_value()) << "nothing while no device is open";
    open();

    std::optional<MeasurementReadout> readout = worker.MeasurePass();
    ASSERT_TRUE(readout.has_value());
    EXPECT_EQ(*readout, (MeasurementReadout{0, 0, false})) << "no input ticked";

    worker.SetMeasured(ExternalInput::kB, true);
    readout = worker.MeasurePass();
    ASSERT_TRUE(readout.has_value());
    EXPECT_NEAR(readout->periodB, 400'000, 100);
    EXPECT_EQ(readout->periodA, 0u);
    EXPECT_TRUE(readout->changed);
    const std::uint32_t measured = readout->periodB;
    readout = worker.MeasurePass();
    ASSERT_TRUE(readout.has_value());
    EXPECT_EQ(readout->changed, readout->periodB != measured);

    worker.SetMeasured(ExternalInput::kB, false);
    readout = worker.MeasurePass();
    EXPECT_EQ(*readout, (MeasurementReadout{0, 0, true})) << "unticked: the period is cleared";
    readout = worker.MeasurePass();
    EXPECT_EQ(*readout, (MeasurementReadout{0, 0, false}));

    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(worker.MeasurePass(stop.get_token()).has_value());
}

TEST_F(MeasurementTest, AFailedMeasurementCountsAsNoPeriod) {
    const auto hub = plug({.inputAHz = 1000.0});
    open();
    MeasurementWorker worker(device_, {});
    worker.SetMeasured(ExternalInput::kA, true);
    ASSERT_NEAR(worker.MeasurePass()->periodA, 1'000'000, 100);
    hub->hub().stallNextControlTransfers(1000);
    const std::optional<MeasurementReadout> readout = worker.MeasurePass();
    ASSERT_TRUE(readout.has_value());
    EXPECT_EQ(readout->periodA, 0u);
    EXPECT_TRUE(readout->changed);
}

TEST_F(MeasurementTest, TheThreadDeliversPassAfterPassUntilItIsStopped) {
    plug({.inputAHz = 1000.0});
    open();
    std::atomic<int> delivered = 0;
    std::atomic<std::uint32_t> lastPeriod = 0;
    MeasurementWorker worker(
        device_,
        [&](const MeasurementReadout& readout) {
            lastPeriod = readout.periodA;
            ++delivered;
        },
        std::chrono::milliseconds(1));
    worker.SetMeasured(ExternalInput::kA, true);
    worker.Start();
    EXPECT_TRUE(worker.Running());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (delivered < 3 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.Stop();
    EXPECT_FALSE(worker.Running());
    EXPECT_GE(delivered, 3);
    EXPECT_NEAR(lastPeriod, 1'000'000, 100);
    const int afterStop = delivered;
    worker.Stop();
    EXPECT_EQ(delivered, afterStop);
}

TEST_F(MeasurementTest, TheEditorShowsReadOutsAndRedrawsOnlyForExternalClocksThatAreOn) {
    plug({.inputAHz = 1000.0});
    editor().Initialise();
    editor().OnMeasureClicked(ExternalInput::kA, true);
    EXPECT_TRUE(view_[ctl::kFrequencyADisplay].lit);
    EXPECT_FALSE(view_[ctl::kFrequencyBDisplay].lit);
    ASSERT_TRUE(waitForMeasurements(1));
    std::optional<MeasurementReadout> readout = view_.TakeMeasurement();
    while (readout && readout->periodA == 0) {  // a pass begun before the box was ticked
        ASSERT_TRUE(waitForMeasurements(view_.PostedMeasurements() + 1));
        readout = view_.TakeMeasurement();
    }
    ASSERT_TRUE(readout.has_value());
    int redraws = view_.redraws;
    editor().ApplyMeasurement(*readout);
    EXPECT_NEAR(editor().Config().measuredPeriodA, 1'000'000, 100);
    EXPECT_NEAR(view_[ctl::kFrequencyADisplay].value, 1000.0, 0.1);
    EXPECT_EQ(view_.redraws, redraws) << "no channel on an external clock is on";

    editor().OnModeSelected(kModeExternal);
    editor().ToggleOutput(0);
    redraws = view_.redraws;
    editor().ApplyMeasurement({500'000, 0, true});
    EXPECT_EQ(view_.redraws, redraws + 1);
    EXPECT_EQ(editor().Config().measuredPeriodA, 500'000u);
    editor().ApplyMeasurement({500'000, 0, false});
    EXPECT_EQ(view_.redraws, redraws + 1);

    editor().Shutdown();
    const std::size_t posted = view_.PostedMeasurements();
    editor().ApplyMeasurement({1, 1, true});
    EXPECT_EQ(editor().Config().measuredPeriodA, 500'000u) << "ignored after the close";
    EXPECT_EQ(view_.PostedMeasurements(), posted) << "the worker ended before the device closed";
}

}  // namespace
}  // namespace zo::quintel::testing

// Output switching and the measurement exports.

#include <atomic>
#include <chrono>
#include <thread>

#include "library/tests/library_test_support.h"

namespace zo::test {
namespace {

class OutputsTest : public LibraryTest {
  protected:
    void SetUp() override {
        hub_ = plug(hubOptions());
        handle_ = probeAndOpen();
        ASSERT_NE(handle_, nullptr);
        from_ = hub_->requests(0xFB).size();
    }
    std::vector<std::pair<int, int>> writesSinceSetUp() const {
        return registerWrites(*hub_, from_);
    }

    virtual hub::HubOptions hubOptions() const { return {}; }

    std::shared_ptr<RecordingDevice> hub_;
    QnHandle handle_ = nullptr;
    std::size_t from_ = 0;
};

// Inputs without a signal: a measurement never completes, however slowly the test runs.
class OutputsWithoutInputSignalsTest : public OutputsTest {
  protected:
    hub::HubOptions hubOptions() const override {
        hub::HubOptions options;
        options.inputAHz = 0;
        options.inputBHz = 0;
        return options;
    }
};

using Writes = std::vector<std::pair<int, int>>;

TEST_F(OutputsTest, OpeningOutputsRestartsEveryEnabledChannelInStep) {
    ASSERT_EQ(QnOpenOutputs(handle_, 0x101), QN_OK);  // only the low eight bits count
    ASSERT_EQ(QnOpenOutputs(handle_, 0x4), QN_OK);
    // Off, arm each enabled channel at its start (register 4k + 3), on.
    EXPECT_EQ(writesSinceSetUp(), (Writes{{0x40, 0},
                                          {3, 0},
                                          {0x40, 1},  //
                                          {0x40, 0},
                                          {3, 0},
                                          {11, 0},
                                          {0x40, 5}}));
    int32_t mask = -1;
    ASSERT_EQ(QnReadRegister(handle_, 0x40, &mask), QN_OK);
    EXPECT_EQ(mask, 5);
}

TEST_F(OutputsTest, ClosingOutputsLeavesTheOthersRunningWithoutRearmingThem) {
    ASSERT_EQ(QnOpenOutputs(handle_, 3), QN_OK);
    from_ = hub_->requests(0xFB).size();
    ASSERT_EQ(QnCloseOutputs(handle_, 1), QN_OK);
    EXPECT_EQ(writesSinceSetUp(), (Writes{{0x40, 2}}));
    ASSERT_EQ(QnCloseDevice(handle_), QN_OK);
    int32_t value = 0;
    EXPECT_EQ(QnReadRegister(handle_, 0x40, &value), QN_ERR_DEVICE);
}

TEST_F(OutputsTest, ARestartStopsAtItsFirstFailedWriteAndSaysSo) {
    hub_->hub().stallNextControlTransfers(1);  // "all outputs off"
    EXPECT_EQ(QnOpenOutputs(handle_, 1), QN_ERR_DEVICE);
    EXPECT_EQ(writesSinceSetUp(), (Writes{{0x40, 0}})) << "only the stalled write";
    hub_->hub().stallNextControlTransfers(1);
    EXPECT_EQ(QnCloseOutputs(handle_, 1), QN_ERR_DEVICE);
    EXPECT_EQ(QnOpenOutputs(nullptr, 1), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnCloseOutputs(nullptr, 1), QN_ERR_NO_HANDLE);
}

TEST_F(OutputsTest, SwitchingOutputsOfAClosedDeviceChangesNothing) {
    ASSERT_EQ(QnOpenOutputs(handle_, 1), QN_OK);
    ASSERT_EQ(QnCloseDevice(handle_), QN_OK);
    const std::size_t seen = hub_->controls().size();
    EXPECT_EQ(QnOpenOutputs(handle_, 2), QN_ERR_DEVICE);
    EXPECT_EQ(QnCloseOutputs(handle_, 1), QN_ERR_DEVICE);
    int32_t code = -1;
    char text[64];
    ASSERT_EQ(QnGetHardwareError(handle_, &code, text, sizeof text), QN_OK);
    EXPECT_EQ(code, QN_HW_OK) << "no request was made, so none failed";
    EXPECT_EQ(hub_->controls().size(), seen);
}

void QN_CALL ignoreResult(uintptr_t, uintptr_t, uintptr_t) {}

TEST_F(OutputsTest, MeasurementArgumentsAreCheckedBeforeAnyDeviceTraffic) {
    int32_t result = 0;
    const std::size_t seen = hub_->controls().size();
    EXPECT_EQ(QnSynchMeasure(nullptr, 1, 0, 1, &result, 10), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnSynchMeasure(handle_, 11, 0, 1, &result, 10), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnSynchMeasure(handle_, 1, 2, 1, &result, 10), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnSynchMeasure(handle_, 1, 0, 1, nullptr, 10), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnStartMeasure(nullptr, 1, 0, 1, &result, ignoreResult, 0, 0), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnStartMeasure(handle_, 0, 0, 1, &result, ignoreResult, 0, 0), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnStartMeasure(handle_, 11, 0, 1, &result, ignoreResult, 0, 0), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnStartMeasure(handle_, 1, 2, 1, &result, ignoreResult, 0, 0), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnStartMeasure(handle_, 1, 0, 1, nullptr, ignoreResult, 0, 0), QN_ERR_BAD_ARG);
    EXPECT_EQ(QnStartMeasure(handle_, 1, 0, 1, &result, nullptr, 0, 0), QN_ERR_BAD_ARG);
    EXPECT_EQ(hub_->controls().size(), seen);
    EXPECT_EQ(QnAbortMeasure(nullptr), QN_ERR_NO_HANDLE);
    EXPECT_EQ(QnAbortMeasure(handle_), QN_OK);
}

// An upload of program 8 begins: stopped, instruction address 0, constant address 0.
std::size_t measurementUploads(const std::vector<std::pair<int, int>>& writes) {
    std::size_t loads = 0;
    for (std::size_t i = 2; i < writes.size(); ++i) {
        loads += writes[i - 2] == std::pair{0x41, 0} && writes[i - 1] == std::pair{35, 0} &&
                         writes[i] == std::pair{33, 0}
                     ? 1
                     : 0;
    }
    return loads;
}

TEST_F(OutputsWithoutInputSignalsTest, TheMeasurementProgramIsRebuiltOnlyWhenItsHeaderChanges) {
    int32_t result = 1234;
    // The defaults measure input 1 from edge 0; edge 1 is a change.
    EXPECT_EQ(QnSynchMeasure(handle_, 1, 0, 1, &result, 0), QN_ERR_TIMEOUT);
    EXPECT_EQ(measurementUploads(writesSinceSetUp()), 1u);
    EXPECT_EQ(QnSynchMeasure(handle_, 1, 0, 1, &result, 0), QN_ERR_TIMEOUT);
    EXPECT_EQ(measurementUploads(writesSinceSetUp()), 1u) << "same header, no upload";
    EXPECT_EQ(QnSynchMeasure(handle_, 1, 0, 0, &result, 0), QN_ERR_TIMEOUT);
    EXPECT_EQ(measurementUploads(writesSinceSetUp()), 2u) << "the edge alone rebuilds";
    EXPECT_EQ(result, 1234) << "written only by a completed measurement";
    EXPECT_EQ(writesSinceSetUp().back(), (std::pair{0x41, 0}))
        << "a timed-out measurement is stopped";

    QnDeviceSettings settings{};
    settings.size = QN_SETTINGS_SIZE;
    ASSERT_EQ(QnReadDeviceSettings(handle_, &settings), QN_OK);
    EXPECT_EQ(settings.measureEdge, 0u) << "the header keeps the last measurement's arguments";
}

TEST_F(OutputsTest, MeasuringInputAGivesItsPeriodAndInputZeroNeverFinishes) {
    int32_t result = 0;
    ASSERT_EQ(QnSynchMeasure(handle_, 1, 0, 1, &result, 2000), QN_OK);
    EXPECT_EQ(result, 1000000) << "1 kHz on input A";
    // Input 0 is accepted; its empty program must not leave the previous one running.
    EXPECT_EQ(QnSynchMeasure(handle_, 0, 0, 1, &result, 20), QN_ERR_TIMEOUT);
    EXPECT_EQ(result, 1000000);
}

TEST_F(OutputsTest, ABackgroundMeasurementCallsBackWithItsArguments) {
    static std::atomic<int> calls = 0;
    static std::atomic<uintptr_t> first = 0;
    static std::atomic<uintptr_t> third = 0;
    calls = 0;
    const auto callback = [](uintptr_t a, uintptr_t b, uintptr_t c) {
        first = a;
        third = c;
        calls += b == 0 ? 1 : 100;
    };
    int32_t result = 0;
    ASSERT_EQ(QnStartMeasure(handle_, 1, 0, 1, &result, callback, 7, 9), QN_OK);
    for (int wait = 0; wait < 5000 && calls == 0; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(calls, 1);
    EXPECT_EQ(first, 9u) << "argument 2 first";
    EXPECT_EQ(third, 7u);
    EXPECT_EQ(result, 1000000);
    // Aborted, then started again: the new measurement completes and calls back.
    EXPECT_EQ(QnAbortMeasure(handle_), QN_OK);
    ASSERT_EQ(QnStartMeasure(handle_, 1, 0, 1, &result, callback, 7, 9), QN_OK);
    for (int wait = 0; wait < 5000 && calls == 1; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(calls, 2);
}

TEST_F(OutputsTest, ClosingTheDeviceEndsARunningBackgroundMeasurement) {
    int32_t result = 0;
    // Input B of this hub has no signal: the worker would poll for ever.
    ASSERT_EQ(QnStartMeasure(handle_, 2, 0, 0, &result, ignoreResult, 0, 0), QN_OK);
    EXPECT_EQ(QnCloseDevice(handle_), QN_OK);
    ASSERT_EQ(QnStartMeasure(handle_, 2, 0, 0, &result, ignoreResult, 0, 0), QN_ERR_DEVICE)
        << "a closed device cannot measure";
    QnUnloadDriver();
}

TEST_F(OutputsTest, NothingIsDeliveredOnceAnAbortHasReturned) {
    static std::atomic<int> deliveries = 0;
    const auto callback = [](uintptr_t, uintptr_t, uintptr_t) { ++deliveries; };
    for (int round = 0; round < 40; ++round) {
        int32_t result = 0;
        ASSERT_EQ(QnStartMeasure(handle_, 1, 0, 1, &result, callback, 0, 0), QN_OK);
        // Abort around the moment the 1 kHz measurement completes.
        std::this_thread::sleep_for(std::chrono::microseconds(500 + 50 * round));
        ASSERT_EQ(QnAbortMeasure(handle_), QN_OK);
        const int atAbort = deliveries;
        const int32_t resultAtAbort = result;
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        ASSERT_EQ(result, resultAtAbort) << "round " << round;
        // Only a delivery that had begun, its result already written, may still call back.
        const int late = deliveries - atAbort;
        ASSERT_LE(late, resultAtAbort == 1000000 ? 1 : 0) << "round " << round;
    }
}

TEST_F(OutputsTest, AProcessEndingWithAMeasurementRunningExitsCleanly) {
    EXPECT_EXIT(
        {
            static int32_t result = 0;
            // Input B of this hub has no signal, so the worker is still polling at exit.
            const int32_t started = QnStartMeasure(handle_, 2, 0, 0, &result, ignoreResult, 0, 0);
            std::exit(started == QN_OK ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace zo::test

// The background measurement's worker among other threads: a callback that starts the next
// measurement, an abort while a callback runs, and the caller configuring the device meanwhile.
// The ThreadSanitizer build runs these too.

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "library/tests/library_test_support.h"

namespace zo::test {
namespace {

using namespace std::chrono_literals;

class MeasurementWorkerTest : public LibraryTest {
  protected:
    void SetUp() override {
        plug({.inputBHz = 0});
        handle_ = probeAndOpen();
        ASSERT_NE(handle_, nullptr);
    }

    // Waits (boundedly, so that a fault fails instead of hanging) until `done` holds.
    template <typename Condition>
    static bool eventually(Condition done) {
        for (int wait = 0; wait < 10000 && !done(); ++wait) {
            std::this_thread::sleep_for(1ms);
        }
        return done();
    }

  public:
    static QnHandle handle() { return handle_; }

  protected:
    static inline QnHandle handle_ = nullptr;
};

std::atomic<int> restarts = 0;
int32_t restartedResult = 0;

// Starts the next measurement from within its own callback, four times; the worker that calls it
// is replaced while it still runs.
void QN_CALL measureAgain(uintptr_t, uintptr_t, uintptr_t) {
    if (restarts + 1 < 5) {
        QnStartMeasure(MeasurementWorkerTest::handle(), 1, 0, 1, &restartedResult, measureAgain, 0,
                       0);
    }
    ++restarts;
}

TEST_F(MeasurementWorkerTest, ACallbackMayStartTheNextMeasurementOfItsOwn) {
    restarts = 0;
    ASSERT_EQ(QnStartMeasure(handle_, 1, 0, 1, &restartedResult, measureAgain, 0, 0), QN_OK);
    EXPECT_TRUE(eventually([] { return restarts == 5; }));
    EXPECT_EQ(QnCloseDevice(handle_), QN_OK);  // joins the last worker
    EXPECT_EQ(restarts, 5);
    EXPECT_EQ(restartedResult, 1000000);
}

// The callback waits for the thread that aborts: the abort must not wait for the callback.
TEST_F(MeasurementWorkerTest, AnAbortReturnsAtOnceWhileTheCallbackRuns) {
    static std::promise<void>* entered = nullptr;
    static std::shared_future<void> abortReturned;
    static std::atomic<bool> sawAbortReturn = false;
    std::promise<void> enteredNow;
    std::promise<void> abortReturnedNow;
    entered = &enteredNow;
    abortReturned = abortReturnedNow.get_future().share();
    sawAbortReturn = false;
    const QnMeasureCallback waitForAbort = [](uintptr_t, uintptr_t, uintptr_t) {
        entered->set_value();
        sawAbortReturn = abortReturned.wait_for(5s) == std::future_status::ready;
    };
    int32_t result = 0;
    ASSERT_EQ(QnStartMeasure(handle_, 1, 0, 1, &result, waitForAbort, 0, 0), QN_OK);
    ASSERT_EQ(enteredNow.get_future().wait_for(10s), std::future_status::ready);
    EXPECT_EQ(QnAbortMeasure(handle_), QN_OK);
    abortReturnedNow.set_value();
    EXPECT_EQ(QnCloseDevice(handle_), QN_OK);  // waits for the callback to finish
    EXPECT_TRUE(sawAbortReturn) << "the abort waited for the callback";
    EXPECT_EQ(result, 1000000) << "written before the callback began";
}

// While a worker polls, the caller configures the device from its own thread, as the program
// does: every multi-request sequence takes turns with the worker's through the access lock.
TEST_F(MeasurementWorkerTest, TheCallerConfiguresTheDeviceWhileAWorkerPolls) {
    int32_t result = 0;
    const QnMeasureCallback ignore = [](uintptr_t, uintptr_t, uintptr_t) {};
    // Input B of this hub has no signal until the test gives it one: the worker keeps polling.
    ASSERT_EQ(QnStartMeasure(handle_, 2, 0, 1, &result, ignore, 0, 0), QN_OK);
    QnDeviceSettings settings = sizedRecord();
    ASSERT_EQ(QnReadDeviceSettings(handle_, &settings), QN_OK);
    ASSERT_EQ(QnSetParameter(handle_, &settings, QN_ALL_CHANNELS, QN_PARAM_LOW_TIME, 50000), QN_OK);
    for (uint32_t round = 0; round < 20; ++round) {
        // Periods of about a millisecond keep the hub's simulation of the open outputs cheap.
        ASSERT_EQ(QnSetParameter(handle_, &settings, round % 8, QN_PARAM_HIGH_TIME, 50000 + round),
                  QN_OK);
        ASSERT_EQ(QnRefreshDeviceSettings(handle_, &settings), QN_OK);
        ASSERT_EQ(QnOpenOutputs(handle_, 1u << (round % 8)), QN_OK);
        int32_t code = -1;
        char text[64];
        ASSERT_EQ(QnGetHardwareError(handle_, &code, text, sizeof text), QN_OK);
        EXPECT_EQ(code, QN_HW_OK);
    }
    EXPECT_EQ(QnAbortMeasure(handle_), QN_OK);
    EXPECT_EQ(QnCloseDevice(handle_), QN_OK);
}

}  // namespace
}  // namespace zo::test

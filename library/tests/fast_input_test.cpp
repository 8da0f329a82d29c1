// An input faster than the hub can time has no period: the synchronous measurement says so with
// a status, the background one delivers 0, and the register traffic is that of any measurement.

#include <atomic>
#include <chrono>
#include <thread>

#include "library/tests/library_test_support.h"

namespace zo::test {
namespace {

class FastInputTest : public LibraryTest {
  protected:
    // Input A at `hertz`; input B without a signal.
    void plugWithInputA(double hertz) {
        hub_ = plug({.inputAHz = hertz, .inputBHz = 0});
        handle_ = probeAndOpen();
        ASSERT_NE(handle_, nullptr);
    }

    std::shared_ptr<RecordingDevice> hub_;
    QnHandle handle_ = nullptr;
};

TEST_F(FastInputTest, TooFastAnInputIsAFailureThatLeavesTheResultAlone) {
    plugWithInputA(20e6);  // phases of one tick and two
    int32_t result = 1234;
    const std::size_t before = hub_->requests(0xFB).size();
    EXPECT_EQ(QnSynchMeasure(handle_, 1, 0, 1, &result, 2000), QN_ERR_FAILED);
    EXPECT_EQ(result, 1234);
    // The measurement ran and was read out and stopped as any other: its last write stops it.
    const auto writes = registerWrites(*hub_, before);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back(), (std::pair<int, int>{0x41, 0}));
}

TEST_F(FastInputTest, AnInputItCanFollowIsTimedToWithinATick) {
    plugWithInputA(5e6);  // ten ticks a period
    int32_t result = 0;
    ASSERT_EQ(QnSynchMeasure(handle_, 1, 0, 1, &result, 2000), QN_OK);
    EXPECT_TRUE(result == 200 || result == 180) << result;
}

TEST_F(FastInputTest, ABackgroundMeasurementOfATooFastInputDeliversZero) {
    plugWithInputA(25e6);
    static std::atomic<int> calls = 0;
    calls = 0;
    int32_t result = 1234;
    ASSERT_EQ(
        QnStartMeasure(
            handle_, 1, 0, 1, &result, [](uintptr_t, uintptr_t, uintptr_t) { ++calls; }, 0, 0),
        QN_OK);
    for (int wait = 0; wait < 5000 && calls == 0; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(calls, 1);
    EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace zo::test

// QuintelLV through its exports against simulated hubs driven by the real QuintelDrv.

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

#include "labview/tests/simulated_hubs.h"

namespace zo::test {
namespace {

constexpr int32_t kSentinel = 0x5A5A5A5A;

// A LabVIEW array handle whose block carries guard words after its ten elements.
struct GuardedArray {
    LvQnInt32Array block{};
    std::array<int32_t, 4> guard{kSentinel, kSentinel, kSentinel, kSentinel};
    LvQnInt32Array* master = &block;

    explicit GuardedArray(int32_t dimSize) {
        block.dimSize = dimSize;
        std::fill(std::begin(block.elements), std::end(block.elements), kSentinel);
    }
    LvQnInt32ArrayHandle handle() { return &master; }
};

using LabviewDeviceTest = SimulatedHubsTest;

TEST_F(LabviewDeviceTest, EnumeratesIdentifiersIntoTheCallersArrayWithoutGrowingIt) {
    plug({{.serial = 11}, {.serial = 22}});
    GuardedArray full(LVQN_MAX_LISTED_DEVICES);
    int32_t count = -1;
    ASSERT_EQ(LvQnEnumDevices(full.handle(), &count), LVQN_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(full.block.dimSize, 2);
    EXPECT_EQ(full.block.elements[0], 1);
    EXPECT_EQ(full.block.elements[1], 2);
    EXPECT_EQ(full.block.elements[2], kSentinel);

    // An array that holds one element gets one identifier; the count still tells of both.
    GuardedArray single(1);
    ASSERT_EQ(LvQnEnumDevices(single.handle(), &count), LVQN_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(single.block.dimSize, 1);
    EXPECT_EQ(single.block.elements[1], kSentinel);

    LvQnInt32Array* noBlock = nullptr;
    EXPECT_EQ(LvQnEnumDevices(&noBlock, &count), LVQN_ERR_GENERIC);
    EXPECT_EQ(LvQnEnumDevices(nullptr, &count), LVQN_ERR_GENERIC);
    EXPECT_EQ(LvQnEnumDevices(full.handle(), nullptr), LVQN_ERR_GENERIC);
}

TEST_F(LabviewDeviceTest, OpensTheFirstHubForIdentifierZeroOrTheNamedOne) {
    plug({{.serial = 11}, {.serial = 22}});
    int32_t identifier = 0;
    ASSERT_EQ(LvQnOpenDevice(&identifier), LVQN_OK);
    EXPECT_EQ(identifier, 1);
    int32_t serial = 0;
    ASSERT_EQ(LvQnGetDeviceInfo(1, QN_INFO_SERIAL, &serial), LVQN_OK);
    EXPECT_EQ(serial, 11);

    identifier = 2;
    ASSERT_EQ(LvQnOpenDevice(&identifier), LVQN_OK);
    EXPECT_EQ(identifier, 2);
    ASSERT_EQ(LvQnGetDeviceInfo(2, QN_INFO_SERIAL, &serial), LVQN_OK);
    EXPECT_EQ(serial, 22);

    for (int32_t unknown : {3, -1, 99}) {
        identifier = unknown;
        EXPECT_EQ(LvQnOpenDevice(&identifier), LVQN_ERR_NO_DEVICE) << unknown;
        EXPECT_EQ(identifier, unknown);
    }
    EXPECT_EQ(LvQnGetDeviceInfo(1, 77, &serial), LVQN_ERR_DEVICE_INFO);
}

TEST_F(LabviewDeviceTest, OpeningWithoutAnyHubFindsNoDevice) {
    plug({});
    int32_t identifier = 0;
    EXPECT_EQ(LvQnOpenDevice(&identifier), LVQN_ERR_NO_DEVICE);
    EXPECT_EQ(identifier, 0);
}

TEST_F(LabviewDeviceTest, SetThenGetChangesOnlyTheWorkingCopyWithoutDeviceTraffic) {
    plug({{}});
    const int32_t identifier = openFirst();
    const std::size_t before = controlTransfers();

    ASSERT_EQ(LvQnSetParameter(identifier, 3, QN_PARAM_HIGH_TIME, 1234), LVQN_OK);
    int32_t value = 0;
    int32_t minimum = -1;
    int32_t maximum = 0;
    ASSERT_EQ(LvQnGetParameter(identifier, 3, QN_PARAM_HIGH_TIME, &value, &minimum, &maximum),
              LVQN_OK);
    EXPECT_EQ(value, 1234);
    EXPECT_EQ(minimum, 0);
    EXPECT_EQ(static_cast<uint32_t>(maximum), 0xFFFFFFFFu);  // the full unsigned range

    ASSERT_EQ(LvQnSetParameter(identifier, QN_ALL_CHANNELS, QN_PARAM_INVERT, 1), LVQN_OK);
    ASSERT_EQ(LvQnGetParameter(identifier, 7, QN_PARAM_INVERT, &value, &minimum, &maximum),
              LVQN_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(controlTransfers(), before);

    EXPECT_EQ(LvQnSetParameter(identifier, 0, QN_PARAM_INVERT, 2), LVQN_ERR_SET_PARAMETER);
    EXPECT_EQ(LvQnSetParameter(identifier, 0, 8, 0), LVQN_ERR_SET_PARAMETER);
    EXPECT_EQ(LvQnGetParameter(identifier, 9, QN_PARAM_MODE, &value, &minimum, &maximum),
              LVQN_ERR_GET_PARAMETER);
    EXPECT_EQ(LvQnGetParameter(identifier, 0, QN_PARAM_MODE, &value, nullptr, &maximum),
              LVQN_ERR_GENERIC);
}

TEST_F(LabviewDeviceTest, ReopeningAnOpenHubStartsAgainFromTheDefaultSettings) {
    plug({{}});
    const int32_t identifier = openFirst();
    int32_t defaultDelay = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
    ASSERT_EQ(LvQnGetParameter(identifier, 0, QN_PARAM_DELAY, &defaultDelay, &minimum, &maximum),
              LVQN_OK);
    ASSERT_EQ(LvQnSetParameter(identifier, 0, QN_PARAM_DELAY, 777), LVQN_OK);

    int32_t again = identifier;
    ASSERT_EQ(LvQnOpenDevice(&again), LVQN_OK);
    EXPECT_EQ(again, identifier);
    int32_t delay = 0;
    ASSERT_EQ(LvQnGetParameter(identifier, 0, QN_PARAM_DELAY, &delay, &minimum, &maximum), LVQN_OK);
    EXPECT_EQ(delay, defaultDelay);
    // Still one entry: a single close frees it.
    ASSERT_EQ(LvQnCloseDevice(identifier), LVQN_OK);
    EXPECT_EQ(LvQnCloseDevice(identifier), LVQN_ERR_NO_DEVICE);
}

TEST_F(LabviewDeviceTest, FailedCloseKeepsTheEntrySoTheCloseCanBeRetried) {
    plug({{}});
    const int32_t identifier = openFirst();
    hubAt(0).hub().stallNextControlTransfers(1000);
    ASSERT_EQ(LvQnCloseDevice(identifier), LVQN_ERR_CLOSE);
    int32_t kind = 0;
    EXPECT_EQ(LvQnGetDeviceInfo(identifier, QN_INFO_KIND, &kind), LVQN_OK);

    hubAt(0).hub().stallNextControlTransfers(0);
    EXPECT_EQ(LvQnCloseDevice(identifier), LVQN_OK);
    EXPECT_EQ(LvQnGetDeviceInfo(identifier, QN_INFO_KIND, &kind), LVQN_ERR_NO_DEVICE);
}

TEST_F(LabviewDeviceTest, SynchronousMeasurementRefusedAsBadArgumentIsAMeasureFailure) {
    plug({{}});
    const int32_t identifier = openFirst();
    int32_t result = 0;
    // QuintelDrv refuses input 11 as a bad argument (7); LabVIEW sees "Failed to measure."
    EXPECT_EQ(LvQnSynchMeasure(identifier, 11, 0, 1, &result, 100), LVQN_ERR_MEASURE);
}

TEST_F(LabviewDeviceTest, BackgroundMeasurementBecomesReadyWithTheInputPeriodInNanoseconds) {
    plug({{.inputAHz = 1000.0}});
    const int32_t identifier = openFirst();
    ASSERT_EQ(LvQnStartMeasure(identifier, 1, 0, 1), LVQN_OK);
    // Bounded wait for the hub's clock, which runs with the wall clock here.
    int32_t ready = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ready == 0 && std::chrono::steady_clock::now() < giveUp) {
        ASSERT_EQ(LvQnMeasureIsReady(identifier, &ready), LVQN_OK);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(ready, 1);
    int32_t periodNs = 0;
    ASSERT_EQ(LvQnReadMeasure(identifier, &periodNs), LVQN_OK);
    EXPECT_EQ(periodNs, 1000000);
    ASSERT_EQ(LvQnMeasureIsReady(identifier, &ready), LVQN_OK);
    EXPECT_EQ(ready, 1);
}

}  // namespace
}  // namespace zo::test

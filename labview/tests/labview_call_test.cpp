// QuintelLV's own logic, with every call it makes into the device-access library recorded: which
// calls happen, how each status is mapped, and what the measurement callback does.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "labview/QuintelLV.h"
#include "labview/tests/recording_device_access.h"

namespace zo::test {
namespace {

class LabviewCallTest : public ::testing::Test {
  protected:
    void SetUp() override {
        recorded() = RecordedDeviceAccess{};
        recorded().listDevices(3);
    }
    void TearDown() override {
        recorded().answer(QnCall::CloseDevice) = QN_OK;
        for (int32_t identifier = 1; identifier <= 16; ++identifier) {
            LvQnCloseDevice(identifier);
        }
    }
    int32_t open(int32_t identifier) {
        EXPECT_EQ(LvQnOpenDevice(&identifier), LVQN_OK);
        return identifier;
    }
    // The measurement callback as QuintelDrv's worker calls it: (argument2, 0, argument1).
    static void callBackFromWorker() {
        const RecordedDeviceAccess& start = recorded();
        std::thread worker([&start] { start.callback(start.argument2, 0, start.argument1); });
        worker.join();
    }
};

TEST(LabviewErrorTextTest, EveryCodeHasItsExactText) {
    const std::pair<int32_t, std::string> texts[] = {
        {0, "Unknown error"},
        {1, "Driver fault."},
        {2, "Device not found. The device ID is bad, or there are no devices connected."},
        {3,
         "Invalid value. You tried to set a nParameter value which is out of range on the "
         "current device."},
        {4, "Unknown error"},
        {5, "The device could not be closed."},
        {6, "The nParameter value can not be read."},
        {7, "The nParameter value can not be set."},
        {8, "The info nParameter can not be read."},
        {9, "Failed to enable/disable device or channels outputs."},
        {10, "Failed to measure."},
        {11, "Failed to abort measure."},
        {12, "Measure timeout."},
        {13, "Error reading hardware register."},
        {14, "Unknown error"},
        {99, "Unknown error"},
        {100, "Generic error"},
        {-1, "Unknown error"},
    };
    for (const auto& [code, text] : texts) {
        EXPECT_EQ(LvQnErrCode2String(code), text) << code;
    }
}

TEST_F(LabviewCallTest, IdentifierWithoutEntryReturnsTwoWithoutCallingTheDeviceAccessLibrary) {
    open(2);
    recorded().calls = {};
    int32_t value = 0;
    for (const int32_t identifier : {1, 0, -1, 17}) {
        const std::function<int32_t()> calls[] = {
            [&] { return LvQnCloseDevice(identifier); },
            [&] { return LvQnGetDeviceInfo(identifier, 0, &value); },
            [&] { return LvQnGetParameter(identifier, 0, 0, &value, &value, &value); },
            [&] { return LvQnSetParameter(identifier, 0, 0, 0); },
            [&] { return LvQnSynchMeasure(identifier, 1, 0, 1, &value, 10); },
            [&] { return LvQnMeasureIsReady(identifier, &value); },
            [&] { return LvQnStartMeasure(identifier, 1, 0, 1); },
            [&] { return LvQnAbortMeasure(identifier); },
            [&] { return LvQnReadMeasure(identifier, &value); },
            [&] { return LvQnOpenOutputs(identifier, 1); },
            [&] { return LvQnCloseOutputs(identifier, 1); },
            [&] { return LvQnSendConfiguration(identifier); },
            // A null destination does not hide that the device is unknown.
            [&] { return LvQnGetDeviceInfo(identifier, 0, nullptr); },
            [&] { return LvQnReadMeasure(identifier, nullptr); },
        };
        for (std::size_t i = 0; i < std::size(calls); ++i) {
            EXPECT_EQ(calls[i](), LVQN_ERR_NO_DEVICE)
                << "identifier " << identifier << " call " << i;
        }
    }
    EXPECT_EQ(recorded().totalCalls(), 0);
}

TEST_F(LabviewCallTest, NullDestinationsGiveGenericErrorWithoutCallingTheLibrary) {
    const int32_t identifier = open(1);
    recorded().calls = {};
    int32_t value = 0;
    EXPECT_EQ(LvQnGetDeviceInfo(identifier, 0, nullptr), LVQN_ERR_GENERIC);
    EXPECT_EQ(LvQnGetParameter(identifier, 0, 0, &value, &value, nullptr), LVQN_ERR_GENERIC);
    EXPECT_EQ(LvQnSynchMeasure(identifier, 1, 0, 1, nullptr, 10), LVQN_ERR_GENERIC);
    EXPECT_EQ(LvQnMeasureIsReady(identifier, nullptr), LVQN_ERR_GENERIC);
    EXPECT_EQ(LvQnReadMeasure(identifier, nullptr), LVQN_ERR_GENERIC);
    EXPECT_EQ(LvQnOpenDevice(nullptr), LVQN_ERR_GENERIC);
    EXPECT_EQ(LvQnEnumDevices(nullptr, &value), LVQN_ERR_GENERIC);
    EXPECT_EQ(recorded().totalCalls(), 0);
}

TEST_F(LabviewCallTest, EnumerationNeverWritesMoreThanTenIdentifiers) {
    // A library that reports more devices than the room it was given.
    recorded().listDevices(14);
    struct {
        LvQnInt32Array block{};
        int32_t guard = 0x5A5A5A5A;
    } guarded;
    guarded.block.dimSize = 64;  // LabVIEW's array may be larger: still ten at most
    LvQnInt32Array* master = &guarded.block;
    int32_t count = 0;
    ASSERT_EQ(LvQnEnumDevices(&master, &count), LVQN_OK);
    EXPECT_EQ(count, LVQN_MAX_LISTED_DEVICES);
    EXPECT_EQ(guarded.block.dimSize, LVQN_MAX_LISTED_DEVICES);
    EXPECT_EQ(guarded.block.elements[9], 10);
    EXPECT_EQ(guarded.guard, 0x5A5A5A5A);

    recorded().answer(QnCall::EnumDevices) = QN_ERR_BAD_ARG;
    EXPECT_EQ(LvQnEnumDevices(&master, &count), LVQN_ERR_NO_DEVICE);
}

TEST_F(LabviewCallTest, OpeningLoadsTheDriverOnlyUntilItHasSucceeded) {
    // Attach already loaded the driver in this process.
    open(1);
    EXPECT_EQ(recorded().count(QnCall::LoadDriver), 0);
    EXPECT_EQ(recorded().count(QnCall::ReadDeviceSettings), 1);
}

TEST_F(LabviewCallTest, FailedOpenLeavesNoEntry) {
    int32_t identifier = 2;
    recorded().answer(QnCall::OpenDevice) = QN_ERR_DEVICE;
    EXPECT_EQ(LvQnOpenDevice(&identifier), LVQN_ERR_NO_DEVICE);

    // Opened, but its settings could not be read: closed again rather than kept half-made.
    recorded().answer(QnCall::OpenDevice) = QN_OK;
    recorded().answer(QnCall::ReadDeviceSettings) = QN_ERR_NO_HANDLE;
    EXPECT_EQ(LvQnOpenDevice(&identifier), LVQN_ERR_NO_DEVICE);
    EXPECT_EQ(recorded().count(QnCall::CloseDevice), 1);
    EXPECT_EQ(LvQnSendConfiguration(2), LVQN_ERR_NO_DEVICE);
}

TEST_F(LabviewCallTest, ReopeningClosesTheEntrysDeviceFirstAndKeepsOneEntry) {
    const int32_t identifier = open(3);
    recorded().records[2].isOpen = 1;
    open(3);
    EXPECT_EQ(recorded().count(QnCall::CloseDevice), 1);
    EXPECT_EQ(recorded().count(QnCall::OpenDevice), 2);
    EXPECT_EQ(LvQnCloseDevice(identifier), LVQN_OK);
    EXPECT_EQ(LvQnCloseDevice(identifier), LVQN_ERR_NO_DEVICE);
}

TEST_F(LabviewCallTest, EveryFailureMapsOntoTheFunctionsOwnCode) {
    const int32_t identifier = open(1);
    int32_t value = 0;
    struct Case {
        QnCall failing;
        std::function<int32_t()> call;
        int32_t expected;
    };
    const Case cases[] = {
        {QnCall::GetDeviceInfo, [&] { return LvQnGetDeviceInfo(identifier, 0, &value); }, 8},
        {QnCall::GetParameter,
         [&] { return LvQnGetParameter(identifier, 0, 0, &value, &value, &value); }, 6},
        {QnCall::GetParameterAttribute,
         [&] { return LvQnGetParameter(identifier, 0, 0, &value, &value, &value); }, 6},
        {QnCall::SetParameter, [&] { return LvQnSetParameter(identifier, 0, 0, 0); }, 7},
        {QnCall::RefreshDeviceSettings, [&] { return LvQnSendConfiguration(identifier); }, 7},
        {QnCall::OpenOutputs, [&] { return LvQnOpenOutputs(identifier, 1); }, 9},
        {QnCall::CloseOutputs, [&] { return LvQnCloseOutputs(identifier, 1); }, 9},
        {QnCall::StartMeasure, [&] { return LvQnStartMeasure(identifier, 1, 0, 1); }, 10},
        {QnCall::AbortMeasure, [&] { return LvQnAbortMeasure(identifier); }, 11},
    };
    for (const Case& each : cases) {
        for (const int32_t status :
             {QN_ERR_FAILED, QN_ERR_BAD_ARG, QN_ERR_DEVICE, QN_ERR_TIMEOUT}) {
            recorded().answer(each.failing) = status;
            EXPECT_EQ(each.call(), each.expected) << "status " << status;
        }
        recorded().answer(each.failing) = QN_OK;
        EXPECT_EQ(each.call(), LVQN_OK);
    }
}

TEST_F(LabviewCallTest, SynchronousMeasurementTellsOnlyTheTimeoutApart) {
    const int32_t identifier = open(1);
    int32_t result = 0;
    recorded().synchResult = 400000;
    ASSERT_EQ(LvQnSynchMeasure(identifier, 2, 0, 1, &result, 2000), LVQN_OK);
    EXPECT_EQ(result, 400000);
    const std::pair<int32_t, int32_t> mapping[] = {
        {QN_ERR_TIMEOUT, LVQN_ERR_TIMEOUT},   {QN_ERR_BAD_ARG, LVQN_ERR_MEASURE},
        {QN_ERR_DEVICE, LVQN_ERR_MEASURE},    {QN_ERR_FAILED, LVQN_ERR_MEASURE},
        {QN_ERR_NO_HANDLE, LVQN_ERR_MEASURE},
    };
    for (const auto& [status, expected] : mapping) {
        recorded().answer(QnCall::SynchMeasure) = status;
        EXPECT_EQ(LvQnSynchMeasure(identifier, 2, 0, 1, &result, 2000), expected) << status;
    }
}

TEST_F(LabviewCallTest, BackgroundMeasurementIsReadyOnceTheWorkerCalledBack) {
    const int32_t first = open(1);
    const int32_t second = open(2);
    ASSERT_EQ(LvQnStartMeasure(second, 1, 0, 1), LVQN_OK);
    EXPECT_EQ(recorded().argument1, 0u);
    EXPECT_EQ(recorded().argument2, static_cast<uint32_t>(second));

    int32_t ready = -1;
    ASSERT_EQ(LvQnMeasureIsReady(second, &ready), LVQN_OK);
    EXPECT_EQ(ready, 0);
    *recorded().resultDestination = 1000000;
    callBackFromWorker();
    ASSERT_EQ(LvQnMeasureIsReady(second, &ready), LVQN_OK);
    EXPECT_EQ(ready, 1);
    ASSERT_EQ(LvQnMeasureIsReady(first, &ready), LVQN_OK);
    EXPECT_EQ(ready, 0) << "the callback found another device's entry";
    int32_t result = 0;
    ASSERT_EQ(LvQnReadMeasure(second, &result), LVQN_OK);
    EXPECT_EQ(result, 1000000);

    // Ready stays until the next start or abort; the result keeps the last completed one.
    ASSERT_EQ(LvQnMeasureIsReady(second, &ready), LVQN_OK);
    EXPECT_EQ(ready, 1);
    ASSERT_EQ(LvQnAbortMeasure(second), LVQN_OK);
    ASSERT_EQ(LvQnMeasureIsReady(second, &ready), LVQN_OK);
    EXPECT_EQ(ready, 0);
    ASSERT_EQ(LvQnReadMeasure(second, &result), LVQN_OK);
    EXPECT_EQ(result, 1000000);

    callBackFromWorker();
    ASSERT_EQ(LvQnStartMeasure(second, 1, 0, 1), LVQN_OK);
    ASSERT_EQ(LvQnMeasureIsReady(second, &ready), LVQN_OK);
    EXPECT_EQ(ready, 0);
    ASSERT_EQ(LvQnReadMeasure(second, &result), LVQN_OK);
    EXPECT_EQ(result, 0);
}

TEST_F(LabviewCallTest, CallbackForAClosedDeviceCountsNothing) {
    const int32_t identifier = open(1);
    ASSERT_EQ(LvQnStartMeasure(identifier, 1, 0, 1), LVQN_OK);
    ASSERT_EQ(LvQnCloseDevice(identifier), LVQN_OK);
    callBackFromWorker();
    const int32_t reopened = open(1);
    int32_t ready = -1;
    ASSERT_EQ(LvQnMeasureIsReady(reopened, &ready), LVQN_OK);
    EXPECT_EQ(ready, 0);
}

}  // namespace
}  // namespace zo::test

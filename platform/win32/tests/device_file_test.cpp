// Device files on Windows with ZOUSB_DEVICES set (as the test runner sets it): opens and I/O
// control reach the simulated machine of ZoSystem.dll, the same one the test program made.

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "driver/tests/driver_test_support.h"
#include "platform/device_file.h"

namespace zo::platform {
namespace {

class DeviceFileTest : public ::testing::Test {
  protected:
    DeviceFileTest() {
        machine_.pnp().plugIn(std::make_shared<test::RecordingDevice>(hub::HubOptions{}));
    }

    kernel::Machine machine_{
        kernel::MachineOptions{DriverEntry, kernel::BusCompletion::Immediate, 0x600, {}, nullptr}};
};

TEST_F(DeviceFileTest, AnOpenDeviceAnswersIoControlFromTheSimulatedHub) {
    KernelStatus status = -1;
    std::optional<DeviceFile> device = DeviceFile::open("\\\\.\\ZOUSB-0", status);
    ASSERT_TRUE(device) << statusText(status);
    EXPECT_EQ(status, 0);

    std::array<std::uint8_t, 18> descriptor{};
    const IoControlResult result =
        device->control(IOCTL_ZOUSB_READ_DEVICE_DESCRIPTOR, {}, descriptor);
    ASSERT_TRUE(result.succeeded()) << statusText(result.status);
    EXPECT_EQ(result.bytesReturned, descriptor.size());
    EXPECT_EQ(descriptor[1], 1);  // a device descriptor
    EXPECT_EQ(descriptor[10] | descriptor[11] << 8, 0x4345);
}

TEST_F(DeviceFileTest, ANameWithoutADeviceIsRefusedWithTheKernelsStatus) {
    KernelStatus status = 0;
    EXPECT_FALSE(DeviceFile::open("\\\\.\\ZOUSB-5", status));
    EXPECT_STREQ(statusText(status), "STATUS_OBJECT_NAME_NOT_FOUND");
}

TEST_F(DeviceFileTest, AMovedDeviceFileClosesOnceAndTheHubCanBeOpenedAgain) {
    KernelStatus status = 0;
    std::optional<DeviceFile> first = DeviceFile::open("\\\\.\\ZOUSB-0", status);
    ASSERT_TRUE(first);
    DeviceFile moved = std::move(*first);
    first.reset();
    std::array<std::uint8_t, 18> descriptor{};
    EXPECT_TRUE(moved.control(IOCTL_ZOUSB_READ_DEVICE_DESCRIPTOR, {}, descriptor).succeeded());
    { const DeviceFile gone = std::move(moved); }
    EXPECT_TRUE(DeviceFile::open("\\\\.\\ZOUSB-0", status));
}

}  // namespace
}  // namespace zo::platform

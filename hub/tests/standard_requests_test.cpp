#include <gtest/gtest.h>

#include "hub/simulated_hub.h"
#include "hub/tests/hub_test_support.h"

namespace zo::hub {
namespace {

using namespace test;
using zo::usb::TransferStatus;

constexpr std::uint8_t kGetStatus = 0, kClearFeature = 1, kSetFeature = 3, kSetAddress = 5,
                       kGetConfiguration = 8, kSetConfiguration = 9, kGetInterface = 10,
                       kSetInterface = 11;

std::vector<std::uint8_t> deviceStatus(SimulatedHub& hub) {
    return controlIn(hub, kStandardDeviceIn, kGetStatus, 0, 0, 2).bytes;
}

std::vector<std::uint8_t> configuration(SimulatedHub& hub) {
    return controlIn(hub, kStandardDeviceIn, kGetConfiguration, 0, 0, 1).bytes;
}

TEST(StandardRequests, ConfigurationIsZeroOrOne) {
    SimulatedHub hub;
    EXPECT_EQ(configuration(hub), std::vector<std::uint8_t>{0});
    EXPECT_TRUE(isOk(controlOut(hub, kStandardDeviceOut, kSetConfiguration, 1, 0)));
    EXPECT_EQ(configuration(hub), std::vector<std::uint8_t>{1});
    EXPECT_EQ(controlOut(hub, kStandardDeviceOut, kSetConfiguration, 2, 0).status,
              TransferStatus::Stall);
    EXPECT_EQ(configuration(hub), std::vector<std::uint8_t>{1});
    EXPECT_TRUE(isOk(controlOut(hub, kStandardDeviceOut, kSetConfiguration, 0, 0)));
    EXPECT_EQ(configuration(hub), std::vector<std::uint8_t>{0});
}

TEST(StandardRequests, InterfaceZeroAlternateZeroOnlyOnceConfigured) {
    SimulatedHub hub;
    EXPECT_EQ(controlOut(hub, kStandardInterfaceOut, kSetInterface, 0, 0).status,
              TransferStatus::Stall);
    ASSERT_TRUE(configure(hub));
    EXPECT_TRUE(isOk(controlOut(hub, kStandardInterfaceOut, kSetInterface, 0, 0)));
    EXPECT_EQ(controlOut(hub, kStandardInterfaceOut, kSetInterface, 1, 0).status,
              TransferStatus::Stall);
    EXPECT_EQ(controlOut(hub, kStandardInterfaceOut, kSetInterface, 0, 1).status,
              TransferStatus::Stall);
    EXPECT_EQ(controlIn(hub, kStandardInterfaceIn, kGetInterface, 0, 0, 1).bytes,
              std::vector<std::uint8_t>{0});
    EXPECT_EQ(controlIn(hub, kStandardInterfaceIn, kGetStatus, 0, 0, 2).bytes,
              (std::vector<std::uint8_t>{0, 0}));
}

TEST(StandardRequests, RemoteWakeupIsTheOnlyDeviceFeature) {
    SimulatedHub hub;
    EXPECT_EQ(deviceStatus(hub), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_TRUE(isOk(controlOut(hub, kStandardDeviceOut, kSetFeature, 1, 0)));
    EXPECT_EQ(deviceStatus(hub), (std::vector<std::uint8_t>{2, 0}));
    EXPECT_TRUE(isOk(controlOut(hub, kStandardDeviceOut, kClearFeature, 1, 0)));
    EXPECT_EQ(deviceStatus(hub), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(controlOut(hub, kStandardDeviceOut, kSetFeature, 2, 0x0100).status,
              TransferStatus::Stall);  // test mode
    EXPECT_EQ(controlOut(hub, kStandardDeviceOut, kClearFeature, 7, 0).status,
              TransferStatus::Stall);
}

TEST(StandardRequests, EndpointsReportNoHaltAndAcceptClearingIt) {
    SimulatedHub hub;
    EXPECT_EQ(controlIn(hub, kStandardEndpointIn, kGetStatus, 0, 0x86, 2).status,
              TransferStatus::Stall);  // not there before configuration
    ASSERT_TRUE(configure(hub));
    for (const std::uint16_t endpoint :
         std::initializer_list<std::uint16_t>{0x00, 0x02, 0x86, 0x81, 0x88}) {
        SCOPED_TRACE(endpoint);
        EXPECT_EQ(controlIn(hub, kStandardEndpointIn, kGetStatus, 0, endpoint, 2).bytes,
                  (std::vector<std::uint8_t>{0, 0}));
        EXPECT_TRUE(isOk(controlOut(hub, kStandardEndpointOut, kClearFeature, 0, endpoint)));
    }
    EXPECT_EQ(controlOut(hub, kStandardEndpointOut, kSetFeature, 0, 0x86).status,
              TransferStatus::Stall);
    EXPECT_EQ(controlIn(hub, kStandardEndpointIn, kGetStatus, 0, 0x03, 2).status,
              TransferStatus::Stall);
}

TEST(StandardRequests, WrongDirectionTypeOrFieldsStall) {
    SimulatedHub hub;
    // GET_CONFIGURATION sent host to device, SET_CONFIGURATION device to host.
    EXPECT_EQ(controlOut(hub, kStandardDeviceOut, kGetConfiguration, 0, 0, {0}).status,
              TransferStatus::Stall);
    EXPECT_EQ(controlIn(hub, kStandardDeviceIn, kSetConfiguration, 1, 0, 0).status,
              TransferStatus::Stall);
    EXPECT_EQ(configuration(hub), std::vector<std::uint8_t>{0});
    EXPECT_EQ(controlOut(hub, kStandardDeviceOut, kSetAddress, 128, 0).status,
              TransferStatus::Stall);
    EXPECT_TRUE(isOk(controlOut(hub, kStandardDeviceOut, kSetAddress, 5, 0)));
    EXPECT_EQ(controlIn(hub, 0xA0, kGetStatus, 0, 0, 2).status, TransferStatus::Stall);  // class
    EXPECT_EQ(controlIn(hub, 0x83, kGetStatus, 0, 0, 2).status,
              TransferStatus::Stall);  // recipient "other"
}

TEST(StandardRequests, PortResetReturnsToTheDefaultState) {
    SimulatedHub hub;
    ASSERT_TRUE(configure(hub));
    ASSERT_TRUE(isOk(controlOut(hub, kStandardDeviceOut, kSetFeature, 1, 0)));
    ASSERT_TRUE(writeRegister(hub, 0x40, 0x5A));
    std::vector<std::uint8_t> queued{1, 2, 3};
    ASSERT_TRUE(isOk(hub.transfer(0x02, queued)));

    hub.portReset();

    EXPECT_EQ(configuration(hub), std::vector<std::uint8_t>{0});
    EXPECT_EQ(deviceStatus(hub), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(readRegister(hub, 0x40), 0);
    ASSERT_TRUE(configure(hub));
    std::vector<std::uint8_t> buffer(8);
    EXPECT_EQ(hub.transfer(0x86, buffer).bytes, 0u);  // the loopback was emptied
}

}  // namespace
}  // namespace zo::hub

#include <gtest/gtest.h>

#include <string>

#include "hub/simulated_hub.h"
#include "hub/tests/hub_test_support.h"

namespace zo::hub {
namespace {

using test::controlIn;
using test::kStandardDeviceIn;
using zo::usb::Speed;
using zo::usb::TransferStatus;

constexpr std::uint8_t kGetDescriptor = 6;

std::uint16_t word(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

test::Answer descriptor(SimulatedHub& hub, std::uint8_t type, std::uint8_t index,
                        std::uint16_t length) {
    return controlIn(hub, kStandardDeviceIn, kGetDescriptor,
                     static_cast<std::uint16_t>(type << 8 | index), 0x0409, length);
}

std::string stringOf(const test::Answer& answer) {
    std::string text;
    for (std::size_t i = 2; i + 1 < answer.bytes.size(); i += 2) {
        text.push_back(static_cast<char>(answer.bytes[i]));
    }
    return text;
}

TEST(Descriptors, DeviceDescriptorCarriesTheOptions) {
    SimulatedHub hub({.productId = 0x1234, .firmware = 0x0207});
    const test::Answer device = descriptor(hub, 1, 0, 64);
    ASSERT_EQ(device.status, TransferStatus::Ok);
    ASSERT_EQ(device.bytes.size(), 18u);
    EXPECT_EQ(device.bytes[0], 18);
    EXPECT_EQ(device.bytes[1], 1);
    EXPECT_EQ(word(device.bytes, 2), 0x0200);  // bcdUSB
    EXPECT_EQ(device.bytes[4], 0xFF);          // vendor-specific class
    EXPECT_EQ(device.bytes[7], 64);            // bMaxPacketSize0
    EXPECT_EQ(word(device.bytes, 8), 0x5A4F);
    EXPECT_EQ(word(device.bytes, 10), 0x1234);
    EXPECT_EQ(word(device.bytes, 12), 0x0207);
    EXPECT_EQ(device.bytes[14], 1);
    EXPECT_EQ(device.bytes[15], 2);
    EXPECT_EQ(device.bytes[16], 3);
    EXPECT_EQ(device.bytes[17], 1);  // one configuration
}

struct Endpoint {
    std::uint8_t address;
    std::uint8_t transferType;  // bmAttributes bits 1..0
    std::uint16_t maxPacket;
};

class ConfigurationBySpeed : public testing::TestWithParam<Speed> {};

TEST_P(ConfigurationBySpeed, HasOneInterfaceOfFourPipesInOrder) {
    const bool high = GetParam() == Speed::High;
    SimulatedHub hub({.speed = GetParam()});
    const test::Answer configuration = descriptor(hub, 2, 0, 1024);
    ASSERT_EQ(configuration.status, TransferStatus::Ok);
    const std::vector<std::uint8_t>& bytes = configuration.bytes;
    ASSERT_GE(bytes.size(), 9u);
    EXPECT_EQ(word(bytes, 2), bytes.size());  // wTotalLength is all that came
    EXPECT_EQ(bytes[4], 1);                   // one interface
    EXPECT_EQ(bytes[5], 1);                   // configuration value

    // Walk the descriptors by their own lengths, as a host's parser does.
    std::vector<Endpoint> endpoints;
    int interfaces = 0;
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        const std::uint8_t length = bytes[offset];
        ASSERT_GE(length, 2u);
        ASSERT_LE(offset + length, bytes.size());
        if (bytes[offset + 1] == 4) {
            ++interfaces;
            EXPECT_EQ(length, 9);
            EXPECT_EQ(bytes[offset + 2], 0);     // interface number
            EXPECT_EQ(bytes[offset + 3], 0);     // alternate setting
            EXPECT_EQ(bytes[offset + 4], 4);     // endpoints
            EXPECT_EQ(bytes[offset + 5], 0xFF);  // class
        } else if (bytes[offset + 1] == 5) {
            EXPECT_EQ(length, 7);
            endpoints.push_back({bytes[offset + 2],
                                 static_cast<std::uint8_t>(bytes[offset + 3] & 3),
                                 word(bytes, offset + 4)});
        }
        offset += length;
    }
    EXPECT_EQ(interfaces, 1);
    ASSERT_EQ(endpoints.size(), 4u);
    const std::uint16_t bulk = high ? 512 : 64;
    const Endpoint expected[] = {{0x02, 2, bulk},
                                 {0x86, 2, bulk},
                                 {0x81, 3, 8},
                                 {0x88, 1, static_cast<std::uint16_t>(high ? 1024 : 1023)}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(endpoints[i].address, expected[i].address);
        EXPECT_EQ(endpoints[i].transferType, expected[i].transferType);
        EXPECT_EQ(endpoints[i].maxPacket, expected[i].maxPacket);
    }
}

INSTANTIATE_TEST_SUITE_P(Speeds, ConfigurationBySpeed, testing::Values(Speed::High, Speed::Full));

TEST(Descriptors, ConfigurationIsTruncatedToTheLengthAsked) {
    SimulatedHub hub;
    const test::Answer head = descriptor(hub, 2, 0, 9);
    ASSERT_EQ(head.status, TransferStatus::Ok);
    ASSERT_EQ(head.bytes.size(), 9u);
    EXPECT_EQ(word(head.bytes, 2), 46);  // the total the host asks for next
    EXPECT_EQ(descriptor(hub, 2, 0, 46).bytes.size(), 46u);
}

TEST(Descriptors, StringsNameTheMakerProductAndSerial) {
    SimulatedHub hub({.serial = 0xDEADBEEF});
    const test::Answer languages = descriptor(hub, 3, 0, 255);
    EXPECT_EQ(languages.bytes, (std::vector<std::uint8_t>{4, 3, 0x09, 0x04}));
    EXPECT_EQ(stringOf(descriptor(hub, 3, 1, 255)), "Valdra");
    EXPECT_EQ(stringOf(descriptor(hub, 3, 2, 255)), "Kestrava Quintel");
    const test::Answer serial = descriptor(hub, 3, 3, 255);
    EXPECT_EQ(serial.bytes[0], serial.bytes.size());
    EXPECT_EQ(serial.bytes[1], 3);
    EXPECT_EQ(stringOf(serial), "DEADBEEF");
    SimulatedHub defaultHub;
    EXPECT_EQ(stringOf(descriptor(defaultHub, 3, 3, 255)), "00000001");
}

TEST(Descriptors, UnknownDescriptorsStall) {
    SimulatedHub hub;
    EXPECT_EQ(descriptor(hub, 3, 4, 255).status, TransferStatus::Stall);   // string 4
    EXPECT_EQ(descriptor(hub, 2, 1, 255).status, TransferStatus::Stall);   // configuration 1
    EXPECT_EQ(descriptor(hub, 6, 0, 10).status, TransferStatus::Stall);    // device qualifier
    EXPECT_EQ(descriptor(hub, 0x21, 0, 9).status, TransferStatus::Stall);  // class descriptor
}

}  // namespace
}  // namespace zo::hub

#include "hub/descriptors.h"

#include <cstdio>
#include <string_view>

namespace zo::hub {
namespace {

constexpr std::uint8_t kTypeDevice = 1;
constexpr std::uint8_t kTypeConfiguration = 2;
constexpr std::uint8_t kTypeString = 3;
constexpr std::uint8_t kTypeInterface = 4;
constexpr std::uint8_t kTypeEndpoint = 5;
constexpr std::uint8_t kVendorSpecificClass = 0xFF;

constexpr std::uint8_t kAttributesBulk = 0x02;
constexpr std::uint8_t kAttributesInterrupt = 0x03;
constexpr std::uint8_t kAttributesIsochronousAsync = 0x05;

constexpr std::uint8_t low(std::uint16_t word) {
    return static_cast<std::uint8_t>(word & 0xFF);
}
constexpr std::uint8_t high(std::uint16_t word) {
    return static_cast<std::uint8_t>(word >> 8);
}

std::vector<std::uint8_t> utf16String(std::string_view text) {
    std::vector<std::uint8_t> descriptor{static_cast<std::uint8_t>(2 + 2 * text.size()),
                                         kTypeString};
    for (const char character : text) {
        descriptor.push_back(static_cast<std::uint8_t>(character));
        descriptor.push_back(0);
    }
    return descriptor;
}

}  // namespace

std::uint16_t bulkMaxPacket(zo::usb::Speed speed) {
    return speed == zo::usb::Speed::High ? 512 : 64;
}

DeviceDescriptor deviceDescriptor(const HubOptions& options) {
    return {kDeviceDescriptorLength,
            kTypeDevice,
            0x00,  // bcdUSB 2.00
            0x02,
            kVendorSpecificClass,
            0x00,  // subclass
            0x00,  // protocol
            kControlMaxPacket,
            low(kVendorId),
            high(kVendorId),
            low(options.productId),
            high(options.productId),
            low(options.firmware),  // bcdDevice
            high(options.firmware),
            1,   // iManufacturer
            2,   // iProduct
            3,   // iSerialNumber
            1};  // bNumConfigurations
}

ConfigurationDescriptor configurationDescriptor(zo::usb::Speed speed) {
    const bool highSpeed = speed == zo::usb::Speed::High;
    const std::uint16_t bulk = bulkMaxPacket(speed);
    const std::uint16_t isochronous = highSpeed ? 1024 : 1023;
    // bInterval counts frames at full speed and 2^(n-1) microframes at high speed: 1 ms both.
    const std::uint8_t interruptInterval = highSpeed ? 4 : 1;
    return {9, kTypeConfiguration, low(kConfigurationTotalLength), high(kConfigurationTotalLength),
            1,                    // bNumInterfaces
            kConfigurationValue,  //
            0,                    // iConfiguration
            0xA0,                 // bus powered, remote wakeup
            50,                   // 100 mA
            // Interface 0, alternate setting 0, four endpoints.
            9, kTypeInterface, 0, 0, 4, kVendorSpecificClass, 0, 0, 0,
            // Endpoints: bulk OUT, bulk IN, interrupt IN, isochronous IN.
            7, kTypeEndpoint, kBulkOutEndpoint, kAttributesBulk, low(bulk), high(bulk), 0,  //
            7, kTypeEndpoint, kBulkInEndpoint, kAttributesBulk, low(bulk), high(bulk), 0,   //
            7, kTypeEndpoint, kInterruptInEndpoint, kAttributesInterrupt, kInterruptMaxPacket, 0,
            interruptInterval,  //
            7, kTypeEndpoint, kIsochronousInEndpoint, kAttributesIsochronousAsync, low(isochronous),
            high(isochronous), 1};
}

std::optional<std::vector<std::uint8_t>> stringDescriptor(const HubOptions& options,
                                                          std::uint8_t index) {
    switch (index) {
        case 0:
            return std::vector<std::uint8_t>{4, kTypeString, 0x09, 0x04};
        case 1:
            return utf16String("Valdra");
        case 2:
            return utf16String("Kestrava Quintel");
        case 3: {
            std::array<char, 9> digits{};
            std::snprintf(digits.data(), digits.size(), "%08X", options.serial);
            return utf16String(std::string_view(digits.data(), 8));
        }
        default:
            return std::nullopt;
    }
}

}  // namespace zo::hub

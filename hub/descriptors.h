#pragma once
// The standard USB descriptors of the simulated hub, as the bytes that travel on the bus.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "hub/hub_options.h"

namespace zo::hub {

inline constexpr std::uint16_t kVendorId = 0x5A4F;
inline constexpr std::uint8_t kConfigurationValue = 1;
inline constexpr std::uint8_t kControlMaxPacket = 64;

// Endpoint addresses of interface 0, in descriptor order.
inline constexpr std::uint8_t kBulkOutEndpoint = 0x02;
inline constexpr std::uint8_t kBulkInEndpoint = 0x86;
inline constexpr std::uint8_t kInterruptInEndpoint = 0x81;
inline constexpr std::uint8_t kIsochronousInEndpoint = 0x88;
inline constexpr std::uint8_t kInterruptMaxPacket = 8;

inline constexpr std::size_t kDeviceDescriptorLength = 18;
// Configuration, interface and four endpoint descriptors.
inline constexpr std::size_t kConfigurationTotalLength = 9 + 9 + 4 * 7;

using DeviceDescriptor = std::array<std::uint8_t, kDeviceDescriptorLength>;
using ConfigurationDescriptor = std::array<std::uint8_t, kConfigurationTotalLength>;
static_assert(sizeof(DeviceDescriptor) == 18, "a USB device descriptor is 18 bytes");
static_assert(sizeof(ConfigurationDescriptor) == 46, "wTotalLength of the one configuration");

std::uint16_t bulkMaxPacket(zo::usb::Speed speed);

DeviceDescriptor deviceDescriptor(const HubOptions& options);
ConfigurationDescriptor configurationDescriptor(zo::usb::Speed speed);

// String 0 is the language list (0x0409 only), 1 the manufacturer, 2 the product, 3 the serial
// number as eight hexadecimal digits. Any other index has no descriptor.
std::optional<std::vector<std::uint8_t>> stringDescriptor(const HubOptions& options,
                                                          std::uint8_t index);

}  // namespace zo::hub

#pragma once
// Control transfers as a host driver makes them, for the hub's tests.

#include <cstdint>
#include <optional>
#include <vector>

#include "hub/testing/register_access.h"
#include "kernel/usb_device.h"

namespace zo::hub::test {

inline constexpr std::uint8_t kStandardDeviceIn = 0x80;
inline constexpr std::uint8_t kStandardDeviceOut = 0x00;
inline constexpr std::uint8_t kStandardInterfaceIn = 0x81;
inline constexpr std::uint8_t kStandardInterfaceOut = 0x01;
inline constexpr std::uint8_t kStandardEndpointIn = 0x82;
inline constexpr std::uint8_t kStandardEndpointOut = 0x02;
inline constexpr std::uint8_t kVendorDeviceIn = 0xC0;
inline constexpr std::uint8_t kVendorDeviceOut = 0x40;

struct Answer {
    zo::usb::TransferStatus status;
    std::vector<std::uint8_t> bytes;  // what the device really answered
};

inline Answer controlIn(zo::usb::UsbDevice& device, std::uint8_t requestType, std::uint8_t request,
                        std::uint16_t value, std::uint16_t index, std::uint16_t length) {
    std::vector<std::uint8_t> buffer(length, 0xEE);
    const zo::usb::TransferResult result =
        device.control({requestType, request, value, index, length}, buffer);
    buffer.resize(result.bytes);
    return {result.status, buffer};
}

inline zo::usb::TransferResult controlOut(zo::usb::UsbDevice& device, std::uint8_t requestType,
                                          std::uint8_t request, std::uint16_t value,
                                          std::uint16_t index,
                                          std::vector<std::uint8_t> data = {}) {
    return device.control(
        {requestType, request, value, index, static_cast<std::uint16_t>(data.size())}, data);
}

inline bool isOk(const zo::usb::TransferResult& result) {
    return result.status == zo::usb::TransferStatus::Ok;
}

inline bool configure(zo::usb::UsbDevice& device) {
    return isOk(controlOut(device, kStandardDeviceOut, 9, 1, 0));
}

}  // namespace zo::hub::test

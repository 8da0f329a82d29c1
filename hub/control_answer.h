#pragma once
// How the hub's request handlers finish a control transfer.

#include <algorithm>
#include <cstdint>
#include <span>

#include "kernel/usb_device.h"

namespace zo::hub {

inline zo::usb::TransferResult stalled() {
    return {zo::usb::TransferStatus::Stall, 0};
}

// A device-to-host answer: as much of `bytes` as the data stage has room for.
inline zo::usb::TransferResult answer(std::span<std::uint8_t> data,
                                      std::span<const std::uint8_t> bytes) {
    const std::size_t count = std::min(data.size(), bytes.size());
    std::copy_n(bytes.begin(), count, data.begin());
    return {zo::usb::TransferStatus::Ok, static_cast<std::uint32_t>(count)};
}

// A request whose whole data stage (if any) the device took.
inline zo::usb::TransferResult accepted(std::span<const std::uint8_t> data) {
    return {zo::usb::TransferStatus::Ok, static_cast<std::uint32_t>(data.size())};
}

}  // namespace zo::hub

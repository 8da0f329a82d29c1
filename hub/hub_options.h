#pragma once
// What distinguishes one simulated hub from another: how it enumerates and what its information
// block and its two input signals hold.

#include <cstdint>

#include "kernel/usb_device.h"

namespace zo::hub {

struct HubOptions {
    zo::usb::Speed speed = zo::usb::Speed::High;
    std::uint16_t productId = 0x4345;
    bool hasInfoBlock = true;
    std::uint32_t serial = 1;
    std::uint16_t firmware = 0x0100;
    double inputAHz = 1000.0;  // 0: no signal
    double inputBHz = 2500.0;  // 0: no signal

    bool operator==(const HubOptions&) const = default;
};

}  // namespace zo::hub

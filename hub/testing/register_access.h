#pragma once
// The library's access to a hub's registers, for tests and benchmarks that drive a hub directly:
// a register write or read is vendor request 0xFB or 0xFC, sent IN with a one-byte data stage;
// the output restart is the sequence with which the library restarts every enabled channel.

#include <array>
#include <cstdint>
#include <optional>

#include "hub/register_map.h"
#include "kernel/usb_device.h"

namespace zo::hub {

inline bool writeRegister(zo::usb::UsbDevice& device, std::uint8_t reg, std::uint8_t value) {
    std::array<std::uint8_t, 1> acknowledgement{};
    const zo::usb::TransferResult result =
        device.control({0xC0, 0xFB, static_cast<std::uint16_t>(0xC000 | reg),
                        static_cast<std::uint16_t>(value << 8), 1},
                       acknowledgement);
    return result.status == zo::usb::TransferStatus::Ok && result.bytes == 1;
}

inline std::optional<std::uint8_t> readRegister(zo::usb::UsbDevice& device, std::uint8_t reg) {
    std::array<std::uint8_t, 1> value{};
    const zo::usb::TransferResult result =
        device.control({0xC0, 0xFC, static_cast<std::uint16_t>(0xC000 | reg), 0, 1}, value);
    if (result.status != zo::usb::TransferStatus::Ok || result.bytes != 1) {
        return std::nullopt;
    }
    return value[0];
}

// All outputs off, every channel of `mask` armed at its entry, then all enabled together.
// `write(reg, value)` performs one register write and says whether it went through.
template <typename Write>
bool restartOutputs(Write&& write, std::uint8_t mask, const std::array<std::uint8_t, 8>& entries) {
    if (!write(kOutputEnable, 0)) {
        return false;
    }
    for (std::uint8_t channel = 0; channel < entries.size(); ++channel) {
        if ((mask >> channel & 1) != 0 &&
            !write(static_cast<std::uint8_t>(4 * channel + 3), entries[channel])) {
            return false;
        }
    }
    return write(kOutputEnable, mask);
}

}  // namespace zo::hub

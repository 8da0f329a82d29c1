#pragma once
// The status a Linux URB carries, as usbmon records it: 0 or a negative errno. The values are the
// Linux ones whatever platform this is built for, because capture files carry them.

#include <cstdint>

namespace zo::kernel {

// The status of every submission event.
inline constexpr std::int32_t kLinuxUrbInProgress = -115;  // -EINPROGRESS

// How a URB ended.
enum class UrbOutcome : std::uint8_t {
    Ok,
    Stall,          // the endpoint answered STALL
    Cancelled,      // the URB was cancelled before it completed
    NotResponding,  // no handshake from the device within the bus turn-around time
    ShortTransfer   // fewer bytes than requested and the request did not allow that
};

constexpr std::int32_t linuxUrbStatus(UrbOutcome outcome) {
    switch (outcome) {
        case UrbOutcome::Ok:
            return 0;
        case UrbOutcome::Stall:
            return -32;  // -EPIPE
        case UrbOutcome::Cancelled:
            return -2;  // -ENOENT, as for a killed URB
        case UrbOutcome::NotResponding:
            return -71;  // -EPROTO
        case UrbOutcome::ShortTransfer:
            return -121;  // -EREMOTEIO
    }
    return -71;  // not reached for a valid outcome; an unknown one is reported as a protocol error
}

}  // namespace zo::kernel

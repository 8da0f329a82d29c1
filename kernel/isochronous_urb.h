#pragma once
// What the bus checks of an isochronous URB before it schedules it, the packets it cuts the
// transfer buffer into, how it closes the URB when the transfer ends, and how usbmon shows it.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "kernel/usb_port.h"
#include "kernel/usbmon_capture.h"

namespace zo::kernel {

// The largest number of packets one URB may carry: 1024 at high speed, 256 at full speed.
ULONG maxIsochronousPackets(usb::Speed speed);
// The bytes one (micro)frame of the pipe carries at most (wMaxPacketSize with its extra
// transactions per microframe).
ULONG isochronousPacketRoom(const PipeState& pipe);

struct IsochronousCheck {
    USBD_STATUS status = USBD_STATUS_SUCCESS;
    // Whether the URB's descriptors lie within it, so that the bus may write their outcome.
    bool descriptorsUsable = false;
    std::span<std::uint8_t> buffer;  // the transfer buffer, when the URB is accepted
};

// Checks the URB against the pipe the port knows it by (`pipe` is filled when found): length,
// packet count, descriptors, transfer buffer and, at high speed with one packet per microframe,
// whole frames of 8 packets.
IsochronousCheck checkIsochronousUrb(UsbPort& port, URB& urb, PipeState& pipe);

// The bytes of packet `index` within the transfer buffer.
std::span<std::uint8_t> isochronousPacket(const URB& urb, std::span<std::uint8_t> buffer,
                                          ULONG index);

// Ends the URB: packets from `firstNotRun` on get `ending` (or, when the transfer ran to its end,
// nothing changes), ErrorCount counts the failed packets, and the URB's status is `ending`, or
// USBD_STATUS_ISOCH_REQUEST_FAILED when every packet failed. Answers the URB's status.
USBD_STATUS closeIsochronousUrb(URB& urb, ULONG firstNotRun, USBD_STATUS ending);

// The status a packet gets from the device's answer.
USBD_STATUS packetStatus(const usb::TransferResult& result);

// The usbmon view of the URB's packets, and of a submission ('S'), completion ('C') or refusal
// ('E'). `packets` must outlive the event.
std::vector<UsbmonIsoPacket> usbmonPackets(const URB& urb, char kind);
UsbmonEvent usbmonIsochronousEvent(char kind, const PipeState& pipe, const URB& urb,
                                   std::span<const std::uint8_t> buffer,
                                   std::span<const UsbmonIsoPacket> packets);

}  // namespace zo::kernel

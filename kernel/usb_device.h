#pragma once
// The device side of a USB connection: what the bus driver of the kernel stand-in asks of a USB
// device model. Standard requests (descriptors, configuration, interface, features) arrive through
// control() like any other request, exactly as they travel on a real bus. The bus defines this
// interface; device models (the simulated hub, test devices) implement it.

#include <cstdint>
#include <span>

namespace zo::usb {

enum class Speed : std::uint8_t { Full, High };

// The eight bytes of a control transfer's setup stage.
struct SetupPacket {
    std::uint8_t requestType = 0;  // bmRequestType: bit 7 IN, bits 6..5 type, bits 4..0 recipient
    std::uint8_t request = 0;      // bRequest
    std::uint16_t value = 0;       // wValue
    std::uint16_t index = 0;       // wIndex
    std::uint16_t length = 0;      // wLength

    bool isIn() const { return (requestType & 0x80) != 0; }
};

enum class TransferStatus : std::uint8_t {
    Ok,
    Stall,         // the device answered with a STALL handshake
    NotResponding  // no answer at all (unplugged, reset in progress)
};

struct TransferResult {
    TransferStatus status = TransferStatus::Ok;
    std::uint32_t bytes = 0;  // bytes of the data stage that really moved
};

class UsbDevice {
  public:
    virtual ~UsbDevice() = default;

    virtual Speed speed() const = 0;

    // A control transfer on the default pipe. `data` has the setup's wLength bytes: for OUT it
    // holds what the host sends, for IN the device writes at most that many bytes into it.
    virtual TransferResult control(const SetupPacket& setup, std::span<std::uint8_t> data) = 0;

    // A bulk or interrupt transfer on the endpoint with this address (bit 7 set: IN).
    virtual TransferResult transfer(std::uint8_t endpointAddress, std::span<std::uint8_t> data) = 0;

    // One isochronous packet on the endpoint with this address, in the bus's (micro)frame `frame`
    // (microframes at high speed, frames at full speed). The bus calls it once the (micro)frame
    // has passed, packet after packet in frame order. IN: the device writes at most data.size()
    // bytes; OUT: `data` is what the host sent. A device without isochronous endpoints never
    // answers.
    virtual TransferResult isochronous(std::uint8_t /*endpointAddress*/, std::uint64_t /*frame*/,
                                       std::span<std::uint8_t> /*data*/) {
        return {TransferStatus::NotResponding, 0};
    }

    // The port was reset: the device returns to its default, unconfigured state.
    virtual void portReset() = 0;
};

}  // namespace zo::usb

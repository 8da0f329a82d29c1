#pragma once
// A device the drivers above never talk to, for tests of what the kernel does with its stack.

#include "kernel/usb_device.h"

namespace zo::kernel::test {

class QuietDevice : public usb::UsbDevice {
  public:
    usb::Speed speed() const override { return usb::Speed::High; }
    usb::TransferResult control(const usb::SetupPacket&, std::span<std::uint8_t>) override {
        return {usb::TransferStatus::Stall, 0};
    }
    usb::TransferResult transfer(std::uint8_t, std::span<std::uint8_t>) override {
        return {usb::TransferStatus::Stall, 0};
    }
    void portReset() override {}
};

}  // namespace zo::kernel::test

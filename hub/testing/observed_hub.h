#pragma once
// A simulated hub that shows each control transfer to an observer before it answers it, for
// tests and benchmarks that count what reaches the hub.

#include <functional>
#include <span>
#include <utility>

#include "hub/simulated_hub.h"
#include "kernel/usb_device.h"

namespace zo::hub {

class ObservedHub final : public zo::usb::UsbDevice {
  public:
    // Called in the thread that runs the transfer (the sender's, or the bus thread's), once per
    // control transfer, before the hub handles it.
    using Observer = std::function<void(const zo::usb::SetupPacket&)>;

    explicit ObservedHub(Observer observer) : observer_(std::move(observer)) {}

    zo::usb::Speed speed() const override { return hub_.speed(); }
    zo::usb::TransferResult control(const zo::usb::SetupPacket& setup,
                                    std::span<std::uint8_t> data) override {
        observer_(setup);
        return hub_.control(setup, data);
    }
    zo::usb::TransferResult transfer(std::uint8_t endpoint, std::span<std::uint8_t> data) override {
        return hub_.transfer(endpoint, data);
    }
    void portReset() override { hub_.portReset(); }

  private:
    Observer observer_;
    SimulatedHub hub_;
};

}  // namespace zo::hub

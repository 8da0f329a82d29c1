#pragma once
// A hub whose time is the bus's: tests and benchmarks that move a manual bus clock give it to the
// hub too, so the hub's signals and the bus's (micro)frames run on one time line.

#include <memory>

#include "hub/hub_clock.h"
#include "kernel/bus_clock.h"

namespace zo::simulation {

class BusDrivenHubClock final : public hub::HubClock {
  public:
    explicit BusDrivenHubClock(std::shared_ptr<const kernel::BusClock> bus)
        : bus_(std::move(bus)) {}
    std::uint64_t nanosecondsSincePowerOn() const override { return bus_->nanoseconds(); }

  private:
    std::shared_ptr<const kernel::BusClock> bus_;
};

}  // namespace zo::simulation

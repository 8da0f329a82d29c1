#pragma once
// The time base of a simulated hub: nanoseconds since the hub was powered on. The hub simulates
// its sequencers lazily up to the clock's present whenever a request arrives.
//
// SteadyHubClock (the default) follows the monotonic wall clock from its construction;
// ManualHubClock stands still until a test moves it, so waveforms come out the same on every run.

#include <atomic>
#include <chrono>
#include <cstdint>

namespace zo::hub {

class HubClock {
  public:
    virtual ~HubClock() = default;
    // Never decreases.
    virtual std::uint64_t nanosecondsSincePowerOn() const = 0;
};

class SteadyHubClock final : public HubClock {
  public:
    std::uint64_t nanosecondsSincePowerOn() const override {
        const auto elapsed = std::chrono::steady_clock::now() - powerOn_;
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count());
    }

  private:
    const std::chrono::steady_clock::time_point powerOn_ = std::chrono::steady_clock::now();
};

// Safe to move from one thread while a hub reads it from another.
class ManualHubClock final : public HubClock {
  public:
    std::uint64_t nanosecondsSincePowerOn() const override { return now_.load(); }
    void advance(std::uint64_t nanoseconds) { now_.fetch_add(nanoseconds); }

  private:
    std::atomic<std::uint64_t> now_{0};
};

}  // namespace zo::hub

#pragma once
// The time base of the USB bus: nanoseconds since the bus came up, counted in frames of 1 ms and,
// at high speed, microframes of 125 us. Isochronous transfers run on it, one packet per
// (micro)frame, and the frame number a driver asks for comes from it.
//
// SteadyBusClock (the default) follows the monotonic wall clock, so a 64-packet transfer at high
// speed takes 8 ms as on a real bus. ManualBusClock stands still until a test moves it, so the
// packets of a test fall into the same frames on every run.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

namespace zo::kernel {

inline constexpr std::uint64_t kFrameNanoseconds = 1'000'000;
inline constexpr std::uint64_t kMicroframeNanoseconds = 125'000;

class BusClock {
  public:
    virtual ~BusClock() = default;

    // Never decreases.
    virtual std::uint64_t nanoseconds() const = 0;
    // When, in real time, the clock reaches `moment`; nullopt for a clock that moves only when
    // told, which calls its listener instead whenever it moves.
    virtual std::optional<std::chrono::steady_clock::time_point> realTimeOf(
        std::uint64_t moment) const = 0;
    // The one listener told after the clock moved; an empty function removes it. The listener
    // runs on the thread that moved the clock and may not call back into the clock.
    virtual void setListener(std::function<void()> listener) = 0;
};

class SteadyBusClock final : public BusClock {
  public:
    std::uint64_t nanoseconds() const override;
    std::optional<std::chrono::steady_clock::time_point> realTimeOf(
        std::uint64_t moment) const override;
    void setListener(std::function<void()>) override {}

  private:
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Safe to move from one thread while the bus reads it from another.
class ManualBusClock final : public BusClock {
  public:
    std::uint64_t nanoseconds() const override { return now_.load(); }
    std::optional<std::chrono::steady_clock::time_point> realTimeOf(std::uint64_t) const override {
        return std::nullopt;
    }
    void setListener(std::function<void()> listener) override;

    void advance(std::uint64_t nanoseconds);

  private:
    std::atomic<std::uint64_t> now_{0};
    std::mutex mutex_;  // guards the listener and orders its calls with its removal
    std::function<void()> listener_;
};

}  // namespace zo::kernel

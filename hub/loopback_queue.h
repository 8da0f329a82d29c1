#pragma once
// The bulk loopback: what the host writes to the bulk OUT endpoint it reads back, in order, from
// the bulk IN endpoint. Bounded, so that a host that never reads cannot grow it without limit.

#include <cstdint>
#include <deque>
#include <span>

namespace zo::hub {

class LoopbackQueue {
  public:
    static constexpr std::size_t kCapacity = 64 * 1024;

    // Appends all of `bytes`, or nothing when they do not fit; returns whether they were taken.
    bool push(std::span<const std::uint8_t> bytes);
    // Moves up to into.size() of the oldest bytes into `into`; returns how many.
    std::size_t pop(std::span<std::uint8_t> into);
    void clear() { bytes_.clear(); }

  private:
    std::deque<std::uint8_t> bytes_;
};

}  // namespace zo::hub

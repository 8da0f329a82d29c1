#include "kernel/bus_clock.h"

namespace zo::kernel {

std::uint64_t SteadyBusClock::nanoseconds() const {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now() - start_)
                                          .count());
}

std::optional<std::chrono::steady_clock::time_point> SteadyBusClock::realTimeOf(
    std::uint64_t moment) const {
    return start_ + std::chrono::nanoseconds(moment);
}

void ManualBusClock::setListener(std::function<void()> listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void ManualBusClock::advance(std::uint64_t nanoseconds) {
    std::lock_guard lock(mutex_);
    now_.fetch_add(nanoseconds);
    if (listener_) {
        listener_();
    }
}

}  // namespace zo::kernel

#include "hub/change_log.h"

#include <bit>

namespace zo::hub {

void ChangeLog::add(std::uint64_t nanoseconds, std::uint8_t toggled) {
    if (toggled == 0 || transitions_ >= capacity_) {
        return;
    }
    changes_.push_back({nanoseconds, toggled});
    transitions_ += static_cast<std::uint64_t>(std::popcount(toggled));
}

void ChangeLog::repeat(std::uint64_t fromNanoseconds, std::uint64_t period, std::uint64_t times) {
    if (times == 0 || transitions_ >= capacity_) {
        return;
    }
    // Only changes after the last run can start a new one.
    const std::size_t floor = runs_.empty() ? 0 : runs_.back().end;
    std::size_t first = changes_.size();
    std::uint64_t perRepetition = 0;
    while (first > floor && changes_[first - 1].nanoseconds >= fromNanoseconds) {
        --first;
        perRepetition += static_cast<std::uint64_t>(std::popcount(changes_[first].toggled));
    }
    if (first == changes_.size()) {
        return;  // nothing changes in the stretch
    }
    runs_.push_back({changes_.size(), changes_.size() - first, period, times});
    const std::uint64_t room = capacity_ - transitions_;
    transitions_ += times > room / perRepetition ? room : times * perRepetition;
}

}  // namespace zo::hub

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

ChangeLog::Cursor::Cursor(const ChangeLog& log) : log_(&log) {
    load();
}

void ChangeLog::Cursor::next() {
    ++index_;
    if (repetition_ > 0) {
        const Run& run = log_->runs_[run_];
        if (index_ == run.end) {
            index_ = run.end - run.count;
            if (++repetition_ > run.times) {
                index_ = run.end;
                repetition_ = 0;
                ++run_;
            }
        }
    } else if (run_ < log_->runs_.size() && index_ == log_->runs_[run_].end) {
        index_ = log_->runs_[run_].end - log_->runs_[run_].count;
        repetition_ = 1;
    }
    load();
}

void ChangeLog::Cursor::load() {
    if (index_ >= log_->changes_.size()) {
        done_ = true;
        return;
    }
    change_ = log_->changes_[index_];
    if (repetition_ > 0) {
        change_.nanoseconds += repetition_ * log_->runs_[run_].period;
    }
}

}  // namespace zo::hub

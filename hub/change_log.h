#pragma once
// The output changes of some channels while the hub simulates, as (moment, toggled mask) records:
// one record per tick on which any of them changes, not one per wire. A stretch the sequencers
// repeat is kept once, with the number of times it repeats, so recording costs no more than the
// simulation that passes over the repetitions.
//
// A log keeps at most a given number of wire transitions (counting every repetition); changes
// beyond them are dropped, since no recording can use them.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zo::hub {

struct OutputChange {
    std::uint64_t nanoseconds = 0;
    std::uint8_t toggled = 0;  // bit k: channel k's output changes

    bool operator==(const OutputChange&) const = default;
};

class ChangeLog {
  public:
    explicit ChangeLog(std::uint64_t capacity) : capacity_(capacity) {}

    // Changes are added in time order.
    void add(std::uint64_t nanoseconds, std::uint8_t toggled);
    // The changes added from `fromNanoseconds` on happen `times` more times, each `period` ns
    // after the one before; the next change added comes after all of them.
    void repeat(std::uint64_t fromNanoseconds, std::uint64_t period, std::uint64_t times);

    // Wire transitions held, repetitions counted.
    std::uint64_t transitions() const { return transitions_; }

    // Walks the changes in time order, repetitions spelled out.
    class Cursor {
      public:
        explicit Cursor(const ChangeLog& log);
        bool done() const { return done_; }
        const OutputChange& change() const { return change_; }
        void next();

      private:
        void load();

        const ChangeLog* log_;
        std::size_t index_ = 0;         // the next stored change
        std::size_t run_ = 0;           // the next run
        std::uint64_t repetition_ = 0;  // 0: the stored changes; k: the k-th repetition of a run
        OutputChange change_;
        bool done_ = false;
    };

  private:
    // Changes [end - count, end) repeat `times` times after themselves.
    struct Run {
        std::size_t end = 0;
        std::size_t count = 0;
        std::uint64_t period = 0;
        std::uint64_t times = 0;
    };

    std::vector<OutputChange> changes_;
    std::vector<Run> runs_;
    std::uint64_t capacity_;
    std::uint64_t transitions_ = 0;
};

// The cursor runs once for every change of a recording: inline.
inline ChangeLog::Cursor::Cursor(const ChangeLog& log) : log_(&log) {
    load();
}

inline void ChangeLog::Cursor::next() {
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

inline void ChangeLog::Cursor::load() {
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

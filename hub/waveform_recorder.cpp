#include "hub/waveform_recorder.h"

#include <algorithm>
#include <array>
#include <bit>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace zo::hub {
namespace {

// The output changes of all stretches in time order; within a stretch the groups' logs are
// merged, and changes of one moment combined (the groups' channels are disjoint).
class OutputChanges {
  public:
    explicit OutputChanges(const std::vector<std::vector<ChangeLog>>& stretches)
        : stretches_(stretches) {
        openStretch();
    }

    bool done() const { return stretch_ >= stretches_.size(); }
    const OutputChange& change() const { return change_; }

    void next() {
        if (!gather()) {
            ++stretch_;
            openStretch();
        }
    }

  private:
    void openStretch() {
        for (; stretch_ < stretches_.size(); ++stretch_) {
            cursors_.clear();
            for (const ChangeLog& log : stretches_[stretch_]) {
                cursors_.emplace_back(log);
            }
            if (gather()) {
                return;
            }
        }
    }

    // The stretch's next moment: false when it has none left.
    bool gather() {
        std::uint64_t earliest = kNever;
        for (const ChangeLog::Cursor& cursor : cursors_) {
            if (!cursor.done()) {
                earliest = std::min(earliest, cursor.change().nanoseconds);
            }
        }
        if (earliest == kNever) {
            return false;
        }
        change_ = {earliest, 0};
        for (ChangeLog::Cursor& cursor : cursors_) {
            if (!cursor.done() && cursor.change().nanoseconds == earliest) {
                change_.toggled =
                    static_cast<std::uint8_t>(change_.toggled | cursor.change().toggled);
                cursor.next();
            }
        }
        return true;
    }

    const std::vector<std::vector<ChangeLog>>& stretches_;
    std::size_t stretch_ = 0;
    std::vector<ChangeLog::Cursor> cursors_;
    OutputChange change_;
};

// The edges of one input as the hub sees them, from a tick on.
class InputEdges {
  public:
    InputEdges(const InputSignal& input, std::uint64_t tick)
        : input_(input), tick_(input.nextChangeAfter(tick)) {}

    std::uint64_t nanoseconds() const {
        return tick_ == kNever ? kNever : tick_ * kTickNanoseconds;
    }
    bool level() const { return input_.levelAt(tick_); }
    void next() { tick_ = input_.nextChangeAfter(tick_); }

  private:
    const InputSignal& input_;
    std::uint64_t tick_;
};

// Room for `count` transitions and the edges of the inputs. A long recording fills hundreds of
// megabytes at once; in huge pages the kernel maps them in a few hundred faults instead of one a
// 4 KiB page, which otherwise costs more than the recording itself.
void reserveTransitions(std::vector<WaveformTransition>& transitions, std::uint64_t count) {
    transitions.reserve(static_cast<std::size_t>(count));
#ifdef __linux__
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(transitions.data());
    const std::uintptr_t end = begin + transitions.capacity() * sizeof(WaveformTransition);
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = end & ~(kHugePage - 1);
    if (last > first) {
        // Only advice: where the kernel declines, the pages come one by one as before.
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#endif
}

}  // namespace

std::string_view wireName(std::uint8_t wire) {
    static constexpr std::array<std::string_view, kWaveformWireCount> names{
        "out0", "out1", "out2", "out3", "out4", "out5", "out6", "out7", "inA", "inB"};
    return wire < names.size() ? names[wire] : std::string_view{};
}

WaveformRecorder::WaveformRecorder(std::uint64_t startNanoseconds, std::uint8_t outputs,
                                   const InputSignal& inputA, const InputSignal& inputB,
                                   std::size_t maxTransitions)
    : maxTransitions_(maxTransitions) {
    waveform_.startNanoseconds = startNanoseconds;
    for (std::uint8_t channel = 0; channel < kWireInputA; ++channel) {
        waveform_.initialLevels[channel] = ((outputs >> channel) & 1) != 0;
    }
    const std::uint64_t tick = startNanoseconds / kTickNanoseconds;
    waveform_.initialLevels[kWireInputA] = inputA.levelAt(tick);
    waveform_.initialLevels[kWireInputB] = inputB.levelAt(tick);
}

void WaveformRecorder::closeStretch() {
    if (stretches_.empty()) {
        return;
    }
    std::vector<ChangeLog>& stretch = stretches_.back();
    std::erase_if(stretch, [](const ChangeLog& log) { return log.transitions() == 0; });
    for (const ChangeLog& log : stretch) {
        closedTransitions_ += log.transitions();
    }
    if (stretch.empty()) {
        stretches_.pop_back();
    }
}

void WaveformRecorder::beginStretch() {
    closeStretch();
    stretches_.emplace_back();
}

ChangeLog& WaveformRecorder::groupLog() {
    // One transition more than the limit shows where the recording is cut.
    const std::uint64_t capacity =
        closedTransitions_ > maxTransitions_ ? 0 : std::uint64_t{maxTransitions_} + 1;
    return stretches_.back().emplace_back(capacity);
}

void WaveformRecorder::outputsChanged(std::uint64_t nanoseconds, std::uint8_t toggled) {
    if (toggled == 0) {
        return;
    }
    beginStretch();
    groupLog().add(nanoseconds, toggled);
}

Waveform WaveformRecorder::finish(std::uint64_t endNanoseconds, const InputSignal& inputA,
                                  const InputSignal& inputB) {
    closeStretch();
    waveform_.endNanoseconds = collect(endNanoseconds, inputA, inputB);
    return std::move(waveform_);
}

std::uint64_t WaveformRecorder::collect(std::uint64_t endNanoseconds, const InputSignal& inputA,
                                        const InputSignal& inputB) {
    std::uint8_t outputs = 0;
    for (std::uint8_t channel = 0; channel < kWireInputA; ++channel) {
        outputs = static_cast<std::uint8_t>(outputs | waveform_.initialLevels[channel] << channel);
    }
    const std::uint64_t startTick = waveform_.startNanoseconds / kTickNanoseconds;
    const std::uint64_t endTick = endNanoseconds / kTickNanoseconds;
    reserveTransitions(
        waveform_.transitions,
        std::min<std::uint64_t>(closedTransitions_ + inputA.changesBetween(startTick, endTick) +
                                    inputB.changesBetween(startTick, endTick),
                                maxTransitions_));
    OutputChanges changes(stretches_);
    InputEdges edgesA(inputA, startTick);
    InputEdges edgesB(inputB, startTick);
    std::uint64_t end = endNanoseconds;
    // Outputs first, then input A, then input B at one moment.
    const auto keep = [&](std::uint64_t nanoseconds, std::uint8_t wire, bool level) {
        if (waveform_.transitions.size() < maxTransitions_) {
            waveform_.transitions.push_back({nanoseconds, wire, level});
            return true;
        }
        // The first transition that does not fit cuts the recording; everything before that
        // moment is complete.
        waveform_.truncated = true;
        end = nanoseconds;
        while (!waveform_.transitions.empty() && waveform_.transitions.back().nanoseconds >= end) {
            waveform_.transitions.pop_back();
        }
        return false;
    };
    for (;;) {
        const std::uint64_t outputAt = changes.done() ? kNever : changes.change().nanoseconds;
        const std::uint64_t moment =
            std::min({outputAt, edgesA.nanoseconds(), edgesB.nanoseconds()});
        if (moment == kNever || moment > endNanoseconds) {
            break;
        }
        if (moment == outputAt) {
            const std::uint8_t toggled = changes.change().toggled;
            outputs ^= toggled;
            for (unsigned left = toggled; left != 0; left &= left - 1) {
                const auto channel = static_cast<std::uint8_t>(std::countr_zero(left));
                const bool level = ((outputs >> channel) & 1) != 0;
                if (waveform_.transitions.size() < maxTransitions_) {
                    waveform_.transitions.push_back({moment, channel, level});  // the common case
                } else if (!keep(moment, channel, level)) {
                    return end;
                }
            }
            changes.next();
        } else if (moment == edgesA.nanoseconds()) {
            if (!keep(moment, kWireInputA, edgesA.level())) {
                return end;
            }
            edgesA.next();
        } else {
            if (!keep(moment, kWireInputB, edgesB.level())) {
                return end;
            }
            edgesB.next();
        }
    }
    return end;
}

}  // namespace zo::hub

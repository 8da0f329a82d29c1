// The sequencer bank's walk from input change to input change through the stretch memory (see
// runStretches in sequencer_bank.h): the stretches between the changes of the inputs a group
// tests, and the group's state as the memory keeps it.

#include "hub/sequencer_bank.h"

#include <algorithm>
#include <cstdint>

namespace zo::hub {
namespace {

// The changes of the inputs a group tests, A and B merged, from a tick on.
class TestedChanges {
  public:
    TestedChanges(std::uint16_t tested, const InputSignal& inputA, const InputSignal& inputB,
                  std::uint64_t tick)
        : testsA_(((tested >> kSourceInputA) & 1) != 0),
          testsB_(((tested >> kSourceInputB) & 1) != 0) {
        if (testsA_) {
            a_ = InputSignal::Changes(inputA, tick);
        }
        if (testsB_) {
            b_ = InputSignal::Changes(inputB, tick);
        }
    }

    std::uint64_t next() const { return std::min(a_.next(), b_.next()); }

    void advance() {
        const std::uint64_t change = next();
        for (InputSignal::Changes* input : {&a_, &b_}) {
            if (input->next() == change) {
                input->advance();
            }
        }
    }

    // The tested inputs' levels at `tick` and the two ticks before (all changes up to `tick`
    // passed), as a stretch memory keeps them.
    std::uint8_t levels(std::uint64_t tick) const {
        return static_cast<std::uint8_t>((testsA_ ? threeTicks(a_, tick) : 0U) |
                                         (testsB_ ? threeTicks(b_, tick) << 3 : 0U));
    }

  private:
    static unsigned threeTicks(const InputSignal::Changes& input, std::uint64_t tick) {
        return (input.levelAt(tick) ? 1U : 0U) | (input.levelAt(tick - 1) ? 2U : 0U) |
               (input.levelAt(tick - 2) ? 4U : 0U);
    }

    bool testsA_;
    bool testsB_;
    InputSignal::Changes a_;
    InputSignal::Changes b_;
};

}  // namespace

std::uint64_t SequencerBank::runStretches(GroupRun& run, std::uint64_t tick,
                                          std::uint64_t endTick) {
    TestedChanges changes(run.tested, inputA_, inputB_, tick);
    const auto remembered = [&] {
        return changes.next() <= endTick && changes.next() - tick <= StretchMemory::kLongestStretch;
    };
    // A measurement looks back two ticks at an input.
    if (tick < 2 || !remembered()) {
        return tick;
    }
    if (stretches_.full()) {
        stretches_.clear();
    }
    StretchMemory::Node* node = stretches_.enter(startOf(run));
    Counters counters = countersOf(run);
    bool resumed = true;  // the sequencers are in the node's state
    while (node != nullptr && remembered()) {
        const std::uint64_t end = changes.next();
        const StretchMemory::Stretch stretch{end - tick, changes.levels(tick)};
        if (const auto known = stretches_.follow(*node, stretch)) {
            if (run.log != nullptr) {
                for (const StretchMemory::Change& change : known->changes) {
                    run.log->add((tick + change.offset) * kTickNanoseconds, change.toggled);
                }
            }
            for (std::size_t index = 0; index < kSequencerCount; ++index) {
                if (((run.members >> index) & 1) != 0) {
                    counters[index] = (*known->counters)[index].applyTo(counters[index]);
                }
            }
            node = known->end;
            resumed = false;
        } else {
            if (!resumed) {
                resume(run, node->start(), counters);
            }
            stretchChanges_.clear();
            run.gatheringFrom = tick;
            run.loads = {};
            for (std::uint64_t at = tick; at < end;) {
                at = advanceGroup(run, at, end, false);
            }
            run.gatheringFrom = kNever;
            const Counters ended = countersOf(run);
            StretchMemory::CounterEffects effects{};
            for (std::size_t index = 0; index < kSequencerCount; ++index) {
                const bool free = ((node->start().freeCounters >> index) & 1) != 0;
                effects[index].shift = static_cast<std::uint8_t>(free ? 16 * run.loads[index] : 0);
                effects[index].add = ended[index] - effects[index].applyTo(counters[index]);
            }
            node = stretches_.remember(*node, stretch, startOf(run), stretchChanges_, effects);
            counters = ended;
            resumed = true;
        }
        tick = end;
        changes.advance();
    }
    if (!resumed) {
        resume(run, node->start(), counters);
    }
    return tick;
}

StretchMemory::Start SequencerBank::startOf(const GroupRun& run) {
    StretchMemory::Start start{.members = run.members,
                               .visible = run.visible,
                               .outputs = {static_cast<std::uint8_t>(outputs() & run.visible),
                                           run.earlier[0], run.earlier[1]}};
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        if (((run.members >> index) & 1) == 0) {
            continue;
        }
        Sequencer& kept = start.sequencers[index] = sequencers_[index];
        // The measurement's counter holds its result: it always matters.
        if (index < kChannelCount &&
            livenessOf(index).deadAt(kept.programCounter(), kept.testedInput() == 0)) {
            kept.setCounter(0);
            start.freeCounters = static_cast<std::uint16_t>(start.freeCounters | 1U << index);
        }
    }
    return start;
}

SequencerBank::Counters SequencerBank::countersOf(const GroupRun& run) const {
    Counters counters{};
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        if (((run.members >> index) & 1) != 0) {
            counters[index] = sequencers_[index].counter();
        }
    }
    return counters;
}

void SequencerBank::resume(GroupRun& run, const StretchMemory::Start& start,
                           const Counters& counters) {
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        if (((run.members >> index) & 1) != 0) {
            sequencers_[index] = start.sequencers[index];
            sequencers_[index].setCounter(counters[index]);
        }
    }
    run.earlier = {start.outputs[1], start.outputs[2]};
}

const CounterLiveness& SequencerBank::livenessOf(std::size_t channel) {
    if (!liveness_[channel]) {
        liveness_[channel].emplace(programs_[channel]);
    }
    return *liveness_[channel];
}

}  // namespace zo::hub

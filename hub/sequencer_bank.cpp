#include "hub/sequencer_bank.h"

#include <algorithm>
#include <utility>

#include "hub/sequencer_groups.h"

namespace zo::hub {

SequencerBank::SequencerBank(double inputAHz, double inputBHz)
    : inputA_(inputAHz), inputB_(inputBHz) {}

void SequencerBank::load(std::uint8_t reg, std::uint8_t value) {
    const std::size_t sequencer = reg / 4;
    if (programs_.at(sequencer).write(static_cast<LoadRegister>(reg % 4), value)) {
        // The remembered stretches ran the programs as they were.
        stretches_.clear();
        if (sequencer < kChannelCount) {
            liveness_[sequencer].reset();
        }
    }
}

void SequencerBank::clear() {
    for (ProgramMemory& program : programs_) {
        program.clear();
    }
    stretches_.clear();
    liveness_ = {};
    stopAll();
}

void SequencerBank::stopAll() {
    const std::uint8_t before = outputs();
    for (Sequencer& sequencer : sequencers_) {
        sequencer.clear();
    }
    for (ProgramMemory& program : programs_) {
        program.dropPendingLoads();
    }
    noteOutputs(before);
}

void SequencerBank::advanceTo(std::uint64_t nanoseconds) {
    if (nanoseconds < now_) {
        return;
    }
    runTicksBefore(nanoseconds / kTickNanoseconds + 1);
    now_ = nanoseconds;
}

namespace {

constexpr std::uint8_t kAllChannels = 0xFF;

std::uint8_t channelsOf(std::uint16_t sequencers) {
    return static_cast<std::uint8_t>(sequencers & kAllChannels);
}

// The outputs seen two and three ticks before, `ticks` ticks on, when no output changed in them
// and `outputs` have been showing since.
std::array<std::uint8_t, 2> heldFor(std::uint8_t outputs,
                                    const std::array<std::uint8_t, 2>& earlier,
                                    std::uint64_t ticks) {
    if (ticks == 0) {
        return earlier;
    }
    return {outputs, ticks == 1 ? earlier[0] : outputs};
}

}  // namespace

void SequencerBank::runTicksBefore(std::uint64_t endTick) {
    if (endTick <= nextTick_) {
        return;
    }
    SequencerGroups groups = independentGroups(sequencers_, programs_);
    std::uint16_t running = 0;
    for (std::size_t group = 0; group < groups.count; ++group) {
        running = static_cast<std::uint16_t>(running | groups.members[group]);
    }
    if (observer_ != nullptr && groups.count > 1) {
        // An observer sees the outputs in time order, tick by tick: one group.
        groups = {{running}, 1};
    }
    const auto held = static_cast<std::uint8_t>(~channelsOf(running));
    // Channels that do not run keep their outputs; only what they showed before moves on.
    std::array<std::uint8_t, 2> earlier =
        heldFor(static_cast<std::uint8_t>(outputs() & held), earlierOutputs_, endTick - nextTick_);
    for (std::uint8_t& outputs : earlier) {
        outputs &= held;
    }
    if (recorder_) {
        recorder_->beginStretch();
    }
    for (std::size_t group = 0; group < groups.count; ++group) {
        ChangeLog* log = recorder_ ? &recorder_->groupLog() : nullptr;
        const std::uint8_t channels = channelsOf(groups.members[group]);
        const std::array<std::uint8_t, 2> seen =
            runGroup(groups.members[group], held, endTick, log);
        for (std::size_t index = 0; index < earlier.size(); ++index) {
            earlier[index] = static_cast<std::uint8_t>(earlier[index] | (seen[index] & channels));
        }
    }
    earlierOutputs_ = earlier;
    nextTick_ = endTick;
}

std::array<std::uint8_t, 2> SequencerBank::runGroup(std::uint16_t members, std::uint8_t held,
                                                    std::uint64_t endTick, ChangeLog* log) {
    const auto visible = static_cast<std::uint8_t>(channelsOf(members) | held);
    GroupRun run{.members = members,
                 .visible = visible,
                 .tested = testedBy(members),
                 .earlier = {static_cast<std::uint8_t>(earlierOutputs_[0] & visible),
                             static_cast<std::uint8_t>(earlierOutputs_[1] & visible)},
                 .log = log};
    // An observer must see every change: nothing is passed over while it watches.
    const bool byStretches = observer_ == nullptr && followsChanges(run.tested);
    std::uint64_t tick = nextTick_;
    std::uint64_t nextChange =
        byStretches ? testedChangeAfter(run.tested, tick > 0 ? tick - 1 : 0) : kNever;
    while (tick < endTick) {
        if (tick >= nextChange) {
            if (tick == nextChange) {
                tick = runStretches(run, tick, endTick);
            }
            nextChange = testedChangeAfter(run.tested, tick);
            if (tick >= endTick) {
                break;
            }
        }
        tick = advanceGroup(run, tick, endTick, observer_ == nullptr);
    }
    return run.earlier;
}

std::uint64_t SequencerBank::advanceGroup(GroupRun& run, std::uint64_t tick, std::uint64_t endTick,
                                          bool passRepetitions) {
    const auto now = static_cast<std::uint8_t>(outputs() & run.visible);
    const OutputHistory history{now, run.earlier[0], run.earlier[1]};
    std::uint64_t decision = kNever;
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        if (((run.members >> index) & 1) != 0) {
            const SignalSources view{inputA_, inputB_, history, index != kMeasurementSequencer};
            decision =
                std::min(decision, sequencers_[index].nextDecision(programs_[index], view, tick));
        }
    }
    if (decision > tick) {
        // Nobody in the group decides anything before `decision`: its outputs stay.
        const std::uint64_t until = std::min(decision, endTick);
        for (std::size_t index = 0; index < kSequencerCount; ++index) {
            if (((run.members >> index) & 1) != 0) {
                sequencers_[index].skip(programs_[index], until - tick);
            }
        }
        run.earlier = heldFor(now, run.earlier, until - tick);
        return until;
    }
    if (passRepetitions) {
        if (!run.repetitionsForgotten) {
            repetitions_.forget(run.members, countersThatMatter());
            run.repetitionsForgotten = true;
        }
        const std::uint64_t length =
            repetitions_.observe(sequencers_, surroundingsOf(run.tested, history, tick), tick);
        if (length > 0) {
            repetitions_.restart();
            const std::uint64_t until = std::min(endTick, inputsSteadyUntil(run.tested, tick));
            const std::uint64_t whole = until > tick ? (until - tick) / length : 0;
            if (whole > 0) {
                if (run.log != nullptr) {
                    run.log->repeat((tick - length) * kTickNanoseconds, length * kTickNanoseconds,
                                    whole);
                }
                return tick + whole * length;
            }
        }
    }
    if (run.gatheringFrom != kNever) {
        for (std::size_t index = 0; index < kSequencerCount; ++index) {
            if (((run.members >> index) & 1) != 0 && run.loads[index] < 2 &&
                sequencers_[index].loadsNext(programs_[index])) {
                ++run.loads[index];
            }
        }
    }
    stepGroup(run.members, history, tick);
    const auto toggled = static_cast<std::uint8_t>((outputs() ^ now) & run.visible);
    if (run.log != nullptr) {
        run.log->add(tick * kTickNanoseconds, toggled);
    }
    if (toggled != 0 && run.gatheringFrom != kNever) {
        stretchChanges_.push_back({static_cast<std::uint32_t>(tick - run.gatheringFrom), toggled});
    }
    if (observer_ != nullptr) {
        observer_->outputsChanged(tick * kTickNanoseconds, outputs());
    }
    run.earlier = {now, run.earlier[0]};
    return tick + 1;
}

bool SequencerBank::followsChanges(std::uint16_t tested) const {
    const auto beyondReach = [&](const InputSignal& input, std::uint8_t source) {
        return ((tested >> source) & 1) != 0 &&
               input.periodTicks() > RepetitionFinder::kLargestWindow;
    };
    return beyondReach(inputA_, kSourceInputA) || beyondReach(inputB_, kSourceInputB);
}

std::uint64_t SequencerBank::testedChangeAfter(std::uint16_t tested, std::uint64_t tick) const {
    std::uint64_t change = kNever;
    if (((tested >> kSourceInputA) & 1) != 0) {
        change = std::min(change, inputA_.nextChangeAfter(tick));
    }
    if (((tested >> kSourceInputB) & 1) != 0) {
        change = std::min(change, inputB_.nextChangeAfter(tick));
    }
    return change;
}

std::uint16_t SequencerBank::testedBy(std::uint16_t members) const {
    std::uint16_t tested = 0;
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        if (((members >> index) & 1) != 0) {
            tested = static_cast<std::uint16_t>(tested |
                                                sequencers_[index].testedSources(programs_[index]));
        }
    }
    return tested;
}

RepetitionFinder::Surroundings SequencerBank::surroundingsOf(std::uint16_t tested,
                                                             const OutputHistory& history,
                                                             std::uint64_t tick) const {
    RepetitionFinder::Surroundings surroundings{{history[1], history[2]}};
    const auto account = [&](const InputSignal& input, std::uint8_t source, std::uint64_t& phase,
                             std::uint64_t& changes) {
        if (((tested >> source) & 1) == 0 || input.periodTicks() == 0) {
            return;
        }
        if (input.periodTicks() <= RepetitionFinder::kLargestWindow) {
            phase = tick % input.periodTicks();
        } else {
            // A test looks back two ticks at most (a phase of a single tick).
            changes = input.changesBetween(0, tick < 2 ? 0 : tick - 2);
        }
    };
    account(inputA_, kSourceInputA, surroundings.phaseA, surroundings.changesA);
    account(inputB_, kSourceInputB, surroundings.phaseB, surroundings.changesB);
    return surroundings;
}

std::uint64_t SequencerBank::inputsSteadyUntil(std::uint16_t tested, std::uint64_t tick) const {
    std::uint64_t until = kNever;
    for (const auto& [input, source] :
         {std::pair{&inputA_, kSourceInputA}, std::pair{&inputB_, kSourceInputB}}) {
        if (((tested >> source) & 1) != 0 &&
            input->periodTicks() > RepetitionFinder::kLargestWindow) {
            until = std::min(until, input->nextChangeAfter(tick < 2 ? 0 : tick - 2));
        }
    }
    return until;
}

std::array<bool, kSequencerCount> SequencerBank::countersThatMatter() const {
    // The measurement's counter is seen in its result registers; a channel's matters only to a
    // program that reads it.
    std::array<bool, kSequencerCount> counterMatters{};
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        counterMatters[index] =
            index == kMeasurementSequencer || Sequencer::readsCounter(programs_[index]);
    }
    return counterMatters;
}

void SequencerBank::stepGroup(std::uint16_t members, const OutputHistory& history,
                              std::uint64_t tick) {
    // All sequencers step on the same clock edge and see the outputs of the tick before.
    const SignalSources channels{inputA_, inputB_, history, true};
    for (std::size_t index = 0; index < kChannelCount; ++index) {
        if (((members >> index) & 1) != 0) {
            sequencers_[index].step(programs_[index], channels, tick);
        }
    }
    if (((members >> kMeasurementSequencer) & 1) == 0) {
        return;
    }
    const SignalSources measurement{inputA_, inputB_, history, false};
    Sequencer& measuring = sequencers_[kMeasurementSequencer];
    if (measuring.running() && measurement.singleTickPhaseEndsAt(measuring.testedInput(), tick)) {
        measuring.finishWithoutCount();
    } else {
        measuring.step(programs_[kMeasurementSequencer], measurement, tick);
    }
}

void SequencerBank::noteOutputs(std::uint8_t before) {
    if (recorder_) {
        recorder_->outputsChanged(now_, static_cast<std::uint8_t>(before ^ outputs()));
    }
    if (observer_ != nullptr) {
        observer_->outputsChanged(now_, outputs());
    }
}

void SequencerBank::setEnabled(std::size_t sequencer, bool enabled) {
    if (!enabled) {
        sequencers_[sequencer].stop();
    } else if (!sequencers_[sequencer].enabled()) {
        sequencers_[sequencer].start(programs_[sequencer].startAddress(),
                                     sequencer != kMeasurementSequencer);
    }
}

void SequencerBank::setOutputEnable(std::uint8_t mask) {
    const std::uint8_t before = outputs();
    for (std::size_t channel = 0; channel < kChannelCount; ++channel) {
        setEnabled(channel, ((mask >> channel) & 1) != 0);
    }
    noteOutputs(before);
}

void SequencerBank::setMeasurementRun(bool run) {
    setEnabled(kMeasurementSequencer, run);
}

std::uint16_t SequencerBank::measurementResult() const {
    return static_cast<std::uint16_t>(sequencers_[kMeasurementSequencer].counter() >> 16);
}

std::uint8_t SequencerBank::outputs() const {
    std::uint8_t outputs = 0;
    for (std::size_t channel = 0; channel < kChannelCount; ++channel) {
        if (sequencers_[channel].output()) {
            outputs = static_cast<std::uint8_t>(outputs | 1U << channel);
        }
    }
    return outputs;
}

std::uint16_t SequencerBank::inputLevels(std::uint64_t tick) const {
    return static_cast<std::uint16_t>((inputA_.levelAt(tick) ? 1U << 8 : 0U) |
                                      (inputB_.levelAt(tick) ? 1U << 9 : 0U));
}

void SequencerBank::startRecording(std::size_t maxTransitions) {
    recorder_.emplace(now_, outputs(), inputA_, inputB_, maxTransitions);
}

Waveform SequencerBank::stopRecording() {
    if (!recorder_) {
        return WaveformRecorder(now_, outputs(), inputA_, inputB_, 0)
            .finish(now_, inputA_, inputB_);
    }
    Waveform waveform = recorder_->finish(now_, inputA_, inputB_);
    recorder_.reset();
    return waveform;
}

}  // namespace zo::hub

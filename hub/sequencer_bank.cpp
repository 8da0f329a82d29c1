#include "hub/sequencer_bank.h"

#include <algorithm>

namespace zo::hub {

SequencerBank::SequencerBank(double inputAHz, double inputBHz)
    : inputA_(inputAHz), inputB_(inputBHz) {}

void SequencerBank::load(std::uint8_t reg, std::uint8_t value) {
    programs_.at(reg / 4).write(static_cast<LoadRegister>(reg % 4), value);
}

void SequencerBank::clear() {
    for (ProgramMemory& program : programs_) {
        program.clear();
    }
    stopAll();
}

void SequencerBank::stopAll() {
    for (Sequencer& sequencer : sequencers_) {
        sequencer.clear();
    }
    for (ProgramMemory& program : programs_) {
        program.dropPendingLoads();
    }
    noteOutputs(now_);
}

void SequencerBank::advanceTo(std::uint64_t nanoseconds) {
    if (nanoseconds < now_) {
        return;
    }
    runTicksBefore(nanoseconds / kTickNanoseconds + 1);
    now_ = nanoseconds;
}

void SequencerBank::runTicksBefore(std::uint64_t endTick) {
    std::optional<bool> repeatable;  // decided when first needed
    while (nextTick_ < endTick) {
        const SignalSources channels = channelView();
        const SignalSources measurement = measurementViewOf(channels);
        std::uint64_t decision = kNever;
        for (std::size_t index = 0; index < kSequencerCount; ++index) {
            decision = std::min(
                decision, sequencers_[index].nextDecision(
                              programs_[index], viewOf(index, channels, measurement), nextTick_));
        }
        if (decision > nextTick_) {
            // Nobody decides anything before `decision`: every output stays as it is.
            const std::uint64_t until = std::min(decision, endTick);
            for (std::size_t index = 0; index < kSequencerCount; ++index) {
                sequencers_[index].skip(programs_[index], until - nextTick_);
            }
            nextTick_ = until;
            outputsHeld();
            continue;
        }
        if (!repeatable) {
            repeatable = isRepeatable();
            forgetRepetitions();
        }
        if (*repeatable && passOverRepetitions(endTick)) {
            outputsHeld();
            continue;
        }
        stepAll(nextTick_, channels, measurement);
        ++nextTick_;
    }
}

SignalSources SequencerBank::channelView() const {
    const std::uint8_t now = outputs();
    return {inputA_, inputB_, {now, earlierOutputs_[0], earlierOutputs_[1]}, true};
}

SignalSources SequencerBank::measurementViewOf(const SignalSources& channels) {
    SignalSources view = channels;
    view.channelsInverted = false;
    return view;
}

void SequencerBank::outputsHeld() {
    earlierOutputs_.fill(outputs());
}

bool SequencerBank::isRepeatable() const {
    // Recorded and observed transitions must all be seen; inputs A and B have their own periods.
    if (recorder_ || observer_ != nullptr) {
        return false;
    }
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        if (sequencers_[index].mayTestExternalInputs(programs_[index])) {
            return false;
        }
    }
    return true;
}

void SequencerBank::forgetRepetitions() {
    // The measurement's counter is seen in its result registers; a channel's matters only to a
    // program that reads it.
    std::array<bool, kSequencerCount> counterMatters{};
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        counterMatters[index] =
            index == kMeasurementSequencer || Sequencer::readsCounter(programs_[index]);
    }
    repetitions_.forget(counterMatters);
}

bool SequencerBank::passOverRepetitions(std::uint64_t endTick) {
    const std::uint64_t length = repetitions_.observe(sequencers_, nextTick_);
    if (length == 0) {
        return false;
    }
    repetitions_.restart();
    const std::uint64_t whole = (endTick - nextTick_) / length;
    nextTick_ += whole * length;
    return whole > 0;
}

void SequencerBank::stepAll(std::uint64_t tick, const SignalSources& channels,
                            const SignalSources& measurement) {
    // All sequencers step on the same clock edge and see the outputs of the tick before.
    for (std::size_t index = 0; index < kChannelCount; ++index) {
        sequencers_[index].step(programs_[index], channels, tick);
    }
    Sequencer& measuring = sequencers_[kMeasurementSequencer];
    if (measuring.running() && measurement.singleTickPhaseEndsAt(measuring.testedInput(), tick)) {
        measuring.finishWithoutCount();
    } else {
        measuring.step(programs_[kMeasurementSequencer], measurement, tick);
    }
    earlierOutputs_ = {channels.recentOutputs[0], channels.recentOutputs[1]};
    noteOutputs(tick * kTickNanoseconds);
}

void SequencerBank::noteOutputs(std::uint64_t nanoseconds) {
    if (recorder_) {
        recorder_->outputsChanged(nanoseconds, outputs());
    }
    if (observer_ != nullptr) {
        observer_->outputsChanged(nanoseconds, outputs());
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
    for (std::size_t channel = 0; channel < kChannelCount; ++channel) {
        setEnabled(channel, ((mask >> channel) & 1) != 0);
    }
    noteOutputs(now_);
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

#include "hub/waveform_recorder.h"

#include <algorithm>
#include <array>

namespace zo::hub {

std::string_view wireName(std::uint8_t wire) {
    static constexpr std::array<std::string_view, kWaveformWireCount> names{
        "out0", "out1", "out2", "out3", "out4", "out5", "out6", "out7", "inA", "inB"};
    return wire < names.size() ? names[wire] : std::string_view{};
}

WaveformRecorder::WaveformRecorder(std::uint64_t startNanoseconds, std::uint8_t outputs,
                                   const InputSignal& inputA, const InputSignal& inputB,
                                   std::size_t maxTransitions)
    : outputs_(outputs), maxTransitions_(maxTransitions) {
    waveform_.startNanoseconds = startNanoseconds;
    for (std::uint8_t channel = 0; channel < kWireInputA; ++channel) {
        waveform_.initialLevels[channel] = ((outputs >> channel) & 1) != 0;
    }
    const std::uint64_t tick = startNanoseconds / kTickNanoseconds;
    waveform_.initialLevels[kWireInputA] = inputA.levelAt(tick);
    waveform_.initialLevels[kWireInputB] = inputB.levelAt(tick);
}

void WaveformRecorder::outputsChanged(std::uint64_t nanoseconds, std::uint8_t outputs) {
    const auto changed = static_cast<std::uint8_t>(outputs ^ outputs_);
    outputs_ = outputs;
    for (std::uint8_t channel = 0; channel < kWireInputA; ++channel) {
        if (((changed >> channel) & 1) == 0) {
            continue;
        }
        if (waveform_.transitions.size() >= maxTransitions_) {
            cutAt(nanoseconds);
            return;
        }
        waveform_.transitions.push_back({nanoseconds, channel, ((outputs >> channel) & 1) != 0});
    }
}

void WaveformRecorder::cutAt(std::uint64_t nanoseconds) {
    if (!waveform_.truncated || nanoseconds < cut_) {
        cut_ = nanoseconds;
    }
    waveform_.truncated = true;
}

void WaveformRecorder::addInputEdges(std::uint8_t wire, const InputSignal& input,
                                     std::uint64_t endNanoseconds) {
    // More than the limit of one input's edges can never survive the cut below.
    const std::uint64_t lastTick = endNanoseconds / kTickNanoseconds;
    std::size_t added = 0;
    for (std::uint64_t tick = input.nextChangeAfter(waveform_.startNanoseconds / kTickNanoseconds);
         tick <= lastTick && added <= maxTransitions_; tick = input.nextChangeAfter(tick)) {
        waveform_.transitions.push_back({tick * kTickNanoseconds, wire, input.levelAt(tick)});
        ++added;
    }
}

Waveform WaveformRecorder::finish(std::uint64_t endNanoseconds, const InputSignal& inputA,
                                  const InputSignal& inputB) {
    const std::uint64_t end = waveform_.truncated ? cut_ : endNanoseconds;
    addInputEdges(kWireInputA, inputA, end);
    addInputEdges(kWireInputB, inputB, end);
    std::ranges::stable_sort(waveform_.transitions, {}, &WaveformTransition::nanoseconds);
    if (waveform_.transitions.size() > maxTransitions_) {
        cutAt(waveform_.transitions[maxTransitions_].nanoseconds);
    }
    if (waveform_.truncated) {
        // A truncated recording ends where the first transition did not fit; all before is whole.
        std::erase_if(waveform_.transitions, [&](const WaveformTransition& transition) {
            return transition.nanoseconds >= cut_;
        });
    }
    waveform_.endNanoseconds = waveform_.truncated ? cut_ : endNanoseconds;
    return std::move(waveform_);
}

}  // namespace zo::hub

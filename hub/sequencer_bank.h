#pragma once
// The hub's nine sequencers (channels 0..7 and the measurement) with their memories, inputs A and
// B, and the hub's time. The register file hands it every write of a loading register and of the
// two enable registers, and asks it for the measurement's result and status.
//
// Time is simulated lazily: advanceTo() runs every tick up to a moment. Sequencers that do not
// see each other's outputs are simulated apart, group by group; each group passes in one step over
// stretches in which its sequencers only count or wait, and over whole repetitions of a state it
// returns to (inputs A and B are periodic, so their phases are part of that state); a group gated
// by an input whose period is beyond that goes from input change to input change through the
// stretches it remembers (StretchMemory). Register writes take effect at the moment the hub was
// last advanced to, so a sequencer enabled then runs its first instruction on the next tick. See
// hub/README.md for the firmware model.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "hub/counter_liveness.h"
#include "hub/input_signal.h"
#include "hub/program_memory.h"
#include "hub/register_map.h"
#include "hub/repetition_finder.h"
#include "hub/sequencer.h"
#include "hub/stretch_memory.h"
#include "hub/waveform.h"
#include "hub/waveform_recorder.h"

namespace zo::hub {

// Told the channel outputs (bit k: channel k) as they are from a moment on, at every step of the
// simulation and whenever a register write changes them; the moments never go back.
class OutputObserver {
  public:
    virtual void outputsChanged(std::uint64_t nanoseconds, std::uint8_t outputs) = 0;

  protected:
    ~OutputObserver() = default;
};

class SequencerBank {
  public:
    SequencerBank() = default;
    SequencerBank(double inputAHz, double inputBHz);

    // `reg` is a loading register (below kFirstNonLoadRegister).
    void load(std::uint8_t reg, std::uint8_t value);
    // Memories cleared, every sequencer stopped and back to its power-on state; time runs on.
    void clear();
    // Every sequencer stopped and back to its power-on state; the loaded programs stay.
    void stopAll();

    // Runs every tick up to and including the one at `nanoseconds` since power-on. A moment
    // earlier than the last one is ignored.
    void advanceTo(std::uint64_t nanoseconds);

    // Register 0x40: bit k enables channel k. Register 0x41: bit 0 runs the measurement.
    void setOutputEnable(std::uint8_t mask);
    void setMeasurementRun(bool run);

    // Upper half of the measurement sequencer's counter; its output level.
    std::uint16_t measurementResult() const;
    bool measurementFinished() const { return sequencers_[kMeasurementSequencer].output(); }
    // Bit k: channel k's output.
    std::uint8_t outputs() const;
    // Inputs A and B at `tick`: bit 8 for A, bit 9 for B (the channel outputs take bits 0..7).
    std::uint16_t inputLevels(std::uint64_t tick) const;

    // While an observer is set (null: none) it is told the outputs at every step, as a recording
    // is, and the bank passes over no repetitions, so that it sees every change.
    void observeOutputs(OutputObserver* observer) { observer_ = observer; }

    // Recording of outputs and inputs from the present moment. Starting again discards a running
    // recording; stopping without one returns an empty waveform of the present moment.
    void startRecording(std::size_t maxTransitions);
    Waveform stopRecording();

    const ProgramMemory& program(std::size_t sequencer) const { return programs_.at(sequencer); }

  private:
    // The outputs (bit k: channel k) as a sequencer sees them on a tick: before it, two and
    // three ticks before.
    using OutputHistory = std::array<std::uint8_t, 3>;

    // One group's run from the last moment on.
    struct GroupRun {
        std::uint16_t members = 0;
        std::uint8_t visible = 0;  // bit k: channel k's output is seen (its own and those held)
        std::uint16_t tested = 0;  // bit s: a member may test source s
        // The visible outputs two and three ticks before the next tick.
        std::array<std::uint8_t, 2> earlier{};
        ChangeLog* log = nullptr;
        bool repetitionsForgotten = false;
        // While a stretch's changes are gathered for the stretch memory: the stretch's first tick,
        // and the loads of each member's counter so far (2 replace it all).
        std::uint64_t gatheringFrom = kNever;
        std::array<std::uint8_t, kSequencerCount> loads{};
    };
    using Counters = std::array<std::uint32_t, kSequencerCount>;

    void runTicksBefore(std::uint64_t endTick);
    // Runs the sequencers in `members` from nextTick_ up to `endTick`; the channels in `held`
    // keep their outputs meanwhile. Returns the outputs as they were the two ticks before
    // `endTick`.
    std::array<std::uint8_t, 2> runGroup(std::uint16_t members, std::uint8_t held,
                                         std::uint64_t endTick, ChangeLog* log);
    // Moves the group on from `tick` (before `endTick`) by one tick, by a stretch in which it
    // decides nothing or, with `passRepetitions`, by whole repetitions. Returns the tick reached.
    std::uint64_t advanceGroup(GroupRun& run, std::uint64_t tick, std::uint64_t endTick,
                               bool passRepetitions);
    // Runs the group from `tick`, a change of an input it tests, stretch by stretch between the
    // changes while they are short and end by `endTick`, through the stretch memory. Returns the
    // change reached (`tick` when none).
    std::uint64_t runStretches(GroupRun& run, std::uint64_t tick, std::uint64_t endTick);
    // The group's state for the stretch memory, and its members' counters (kept apart, since a
    // counter that no longer matters is left out of the state).
    StretchMemory::Start startOf(const GroupRun& run);
    Counters countersOf(const GroupRun& run) const;
    void resume(GroupRun& run, const StretchMemory::Start& start, const Counters& counters);
    const CounterLiveness& livenessOf(std::size_t channel);
    // Whether a tested input changes too seldom for a repetition of it to be found: the group
    // then goes from change to change through the stretch memory.
    bool followsChanges(std::uint16_t tested) const;
    // The first tick after `tick` at which one of the tested inputs changes.
    std::uint64_t testedChangeAfter(std::uint16_t tested, std::uint64_t tick) const;
    std::uint16_t testedBy(std::uint16_t members) const;
    RepetitionFinder::Surroundings surroundingsOf(std::uint16_t tested,
                                                  const OutputHistory& history,
                                                  std::uint64_t tick) const;
    // The tick up to which (exclusive) the tested inputs that count by their changes stay as
    // they were two ticks before `tick`.
    std::uint64_t inputsSteadyUntil(std::uint16_t tested, std::uint64_t tick) const;
    std::array<bool, kSequencerCount> countersThatMatter() const;
    void stepGroup(std::uint16_t members, const OutputHistory& history, std::uint64_t tick);
    void setEnabled(std::size_t sequencer, bool enabled);
    void noteOutputs(std::uint8_t before);

    std::array<ProgramMemory, kSequencerCount> programs_{};
    std::array<Sequencer, kSequencerCount> sequencers_{};
    InputSignal inputA_;
    InputSignal inputB_;
    // Bit k: channel k's output two and three ticks before the next one.
    std::array<std::uint8_t, 2> earlierOutputs_{};
    std::uint64_t nextTick_ = 0;
    std::uint64_t now_ = 0;  // nanoseconds
    std::optional<WaveformRecorder> recorder_;
    OutputObserver* observer_ = nullptr;
    RepetitionFinder repetitions_;
    StretchMemory stretches_;
    // Per channel, made from its program when first needed.
    std::array<std::optional<CounterLiveness>, kChannelCount> liveness_{};
    std::vector<StretchMemory::Change> stretchChanges_;  // of the stretch being gathered
};

}  // namespace zo::hub

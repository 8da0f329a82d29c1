#include "library/compiler/program_builders.h"

#include <algorithm>
#include <vector>

#include "library/compiler/program_writer.h"

namespace zo::quinteldrv {

namespace {

// The target a forward jump has until it is patched. The jumps that leave a gated train when
// its gate closes keep it when no second rate follows: they return to instruction 0, the start
// condition's wait (or the halt of a train without one).
constexpr std::int32_t kUnpatched = 0;

// Ticks of a gated phase outside its gated delay: the continuing jump and two ticks, and in the
// low phase the jump back as well.
constexpr std::int64_t kGatedHighOverhead = 3;
constexpr std::int64_t kGatedLowOverhead = 4;

int flipped(int state) {
    return state == 0 ? 1 : 0;
}

// The state an input is waited for: sources A and B (and none) are active high unless inverted,
// channel outputs are taken the other way round.
int activeState(std::uint32_t source, std::uint32_t invert) {
    const int inverted = invert != 0 ? 1 : 0;
    return source < 3 ? flipped(inverted) : inverted;
}

std::uint32_t atLeastZero(std::int64_t value) {
    return static_cast<std::uint32_t>(std::max<std::int64_t>(value, 0));
}

std::int32_t asSigned(std::uint32_t value) {
    return static_cast<std::int32_t>(value);
}

struct Levels {
    int active;
    int inactive;
    int idle;
};

Levels levelsOf(const ChannelBlock& channel) {
    const int invert = channel[kInvertWord] != 0 ? 1 : 0;
    return {flipped(invert), invert, channel[kIdleLevelWord] != 0 ? 1 : 0};
}

// Checks `input` before a gated train's first pulse: on when it is in the `open` state, otherwise
// to the jump returned, whose target the caller sets. The test leaves the open state selected for
// the train's conditional jumps.
std::int32_t gateCheck(std::int32_t input, int open, int level, ProgramWriter& out) {
    out.test(input, open, level);
    const std::int32_t pass = out.jump(kUnpatched, 1, level);
    const std::int32_t leave = out.jump(kUnpatched, 0, level);
    out.patchToHere(pass);
    return leave;
}

// One phase of a gated train: its gated delay of `ticks` at `level`, the jump that goes on while
// the gate is open (the one that leaves when it closed, at `leaveLevel`, is added to `leaving`),
// and two ticks at `level`.
void gatedPhase(std::int32_t input, int open, std::uint32_t ticks, int level, int leaveLevel,
                std::vector<std::int32_t>& leaving, ProgramWriter& out) {
    out.gatedDelay(ticks, input, open, level);
    const std::int32_t stay = out.jump(kUnpatched, 1, level);
    leaving.push_back(out.jump(kUnpatched, 0, leaveLevel));
    out.patchToHere(stay);
    out.tick(level);
    out.tick(level);
}

// The loop of a train that runs while `input` is in the `open` state: high and low phases of
// exactly `high` and `low` ticks (at least 3 and 4). Each phase checks the gate throughout its
// gated delay and once after it; the low phase's last tick checks it again before the next pulse.
// The jumps taken when the gate closes are added to `leaving`; the last one falls through to the
// instruction after the loop.
void gatedLoop(std::int32_t input, int open, std::int32_t high, std::int32_t low, const Levels& lv,
               std::vector<std::int32_t>& leaving, ProgramWriter& out) {
    const std::int32_t loop = out.here();
    gatedPhase(input, open, atLeastZero(std::int64_t{high} - kGatedHighOverhead), lv.active,
               lv.inactive, leaving, out);
    gatedPhase(input, open, atLeastZero(std::int64_t{low} - kGatedLowOverhead), lv.inactive,
               lv.inactive, leaving, out);
    out.jump(loop, 1, lv.inactive);
}

// A train without a gate: `high` ticks at the active level and `low` at the inactive one (the jump
// back is the low phase's last tick), for ever.
void freeLoop(std::uint32_t high, std::uint32_t low, const Levels& lv, ProgramWriter& out) {
    const std::int32_t loop = out.here();
    out.delay(high, lv.active);
    out.delay(atLeastZero(std::int64_t{asSigned(low)} - 1), lv.inactive);
    out.jump(loop, 0, lv.inactive);
}

// Modes 0, 2 and 3: a train of pulse set 1, started, gated, or switched to pulse set 2.
void buildPulseTrain(const ChannelBlock& c, bool secondRate, ProgramWriter& out) {
    const Levels lv = levelsOf(c);
    const std::int32_t start = asSigned(c[kGateSourceWord]);
    const int startState = activeState(c[kGateSourceWord], c[kGateInvertWord]);
    const bool modeZero = c[kModeWord] == 0;
    const std::int32_t gate = modeZero ? start : asSigned(c[kAuxSourceWord]);
    const int gateState =
        modeZero ? flipped(startState) : activeState(c[kAuxSourceWord], c[kAuxInvertWord]);

    if (gate > 0 && !secondRate && start == 0) {
        out.halt(lv.idle);
    }
    out.program().entry0 = out.here();
    if (start > 0) {
        out.waitLevel(start, startState, lv.idle);
    }
    const std::int32_t restart = out.here();
    if (asSigned(c[kDelayWord]) > 0) {
        out.delay(c[kDelayWord], lv.idle);
    }
    if (gate <= 0) {
        freeLoop(c[kHighTimeWord], c[kLowTimeWord], lv, out);
        return;
    }
    // Pulse set 1 runs while the gate is out of its gate state. Leaving it leads to instruction
    // 0 (the start condition's wait, or the halt of a train without one), or to pulse set 2.
    const int open = flipped(gateState);
    std::vector<std::int32_t> leaving{gateCheck(gate, open, lv.idle, out)};
    gatedLoop(gate, open, asSigned(c[kHighTimeWord]), asSigned(c[kLowTimeWord]), lv, leaving, out);
    if (!secondRate) {
        out.jump(kUnpatched, 0, lv.inactive);  // the last look found the gate closed
        return;
    }
    for (const std::int32_t jump : leaving) {
        out.patchToHere(jump);
    }
    if (asSigned(c[kDelay2Word]) > 0) {
        out.delay(c[kDelay2Word], lv.idle);
    }
    // Pulse set 2 runs until the start input is active again, then pulse set 1 restarts with its
    // delay.
    if (start > 0) {
        std::vector<std::int32_t> back{gateCheck(start, flipped(startState), lv.idle, out)};
        gatedLoop(start, flipped(startState), asSigned(c[kHighTime2Word]),
                  asSigned(c[kLowTime2Word]), lv, back, out);
        back.push_back(out.jump(kUnpatched, 0, lv.inactive));
        for (const std::int32_t jump : back) {
            out.patch(jump, restart);
        }
        return;
    }
    freeLoop(c[kHighTime2Word], c[kLowTime2Word], lv, out);
}

// Mode 1: delay and both phases counted in transitions of the external clock.
void buildExternalClock(const ChannelBlock& c, ProgramWriter& out) {
    const Levels lv = levelsOf(c);
    const std::int32_t clock = asSigned(c[kExtSourceWord]);
    int phase = activeState(c[kExtSourceWord], c[kExtInvertWord]);
    const std::int32_t start = asSigned(c[kGateSourceWord]);
    const int startState = activeState(c[kGateSourceWord], c[kGateInvertWord]);
    const auto leaveWhenStopped = [&](int level) {
        if (start > 0) {
            out.testAndBranch(0, start, flipped(startState), level);
        }
    };
    const auto period = [&] {
        out.clockCount(c[kHighTimeWord], clock, phase, start, startState, lv.active);
        leaveWhenStopped(lv.active);
        out.clockCount(c[kLowTimeWord], clock, phase, start, startState, lv.inactive);
    };

    out.program().entry0 = out.here();
    if (start > 0) {
        out.waitLevel(start, startState, lv.idle);
    }
    out.waitEdge(clock, phase, lv.idle);
    phase = flipped(phase);
    leaveWhenStopped(lv.idle);
    out.clockCount(c[kDelayWord], clock, phase, start, startState, lv.idle);
    leaveWhenStopped(lv.idle);
    const std::int32_t loop = out.here();
    period();
    // A second period brings the clock phase back to its value at the loop start whatever the
    // parity of the two phases, so the loop always waits for the right level.
    leaveWhenStopped(lv.inactive);
    period();
    if (start > 0) {
        out.testAndBranch(loop, start, startState, lv.inactive);
        out.jump(0, 0, lv.idle);
    } else {
        out.jump(loop, 0, lv.inactive);
    }
}

// Mode 4: on a trigger, after the delay, a burst of N pulses; once or on every trigger.
void buildBurst(const ChannelBlock& c, ProgramWriter& out) {
    const Levels lv = levelsOf(c);
    const std::int32_t trigger = asSigned(c[kGateSourceWord]);
    const int triggerState = activeState(c[kGateSourceWord], c[kGateInvertWord]);
    const std::int32_t delay = asSigned(c[kDelayWord]);
    const std::int32_t high = asSigned(c[kHighTimeWord]);
    const std::int32_t low = asSigned(c[kLowTimeWord]);
    const std::int32_t pulses = asSigned(c[kPulseCountWord]);
    const std::uint32_t lastLow = low > 10 ? static_cast<std::uint32_t>(low - 10) : c[kLowTimeWord];

    if (c[kRetriggerWord] == 0) {
        out.halt(lv.idle);
    }
    out.program().entry0 = out.here();
    // A trigger source fires a burst on each of its edges into the trigger state, never on a
    // level it already has when the channel starts or finishes a burst. Without one, the wait is
    // on the counter, which a channel starts with at all ones: one burst, then the final wait
    // never ends.
    if (trigger > 0) {
        out.waitEdge(trigger, triggerState, lv.idle);
    } else {
        out.waitLevel(trigger, triggerState, lv.idle);
    }
    if (pulses >= 2) {
        const std::int32_t k = out.constant(0xFFFF);
        out.constant(static_cast<std::uint16_t>(65536 - std::min(pulses - 1, 65536)));
        out.constant(0);
        out.delay(delay > 0 ? static_cast<std::uint32_t>(delay - 1) : c[kDelayWord], lv.idle);
        out.load(k + 1, lv.idle);
        const std::int32_t loop = out.here();
        out.loadSecond(k + 2, lv.active);
        out.delay(atLeastZero(std::int64_t{high} - 1), lv.active);
        out.delay(atLeastZero(std::int64_t{low} - 5), lv.inactive);
        out.load(k, lv.inactive);
        out.load(k + 2, lv.inactive);
        out.test(0, 1, lv.inactive);
        out.tick(lv.inactive);
        out.jump(loop, 1, lv.inactive);
    } else {
        out.delay(c[kDelayWord], lv.idle);
    }
    out.delay(c[kHighTimeWord], lv.active);
    out.delay(lastLow, lv.inactive);
    if (trigger <= 0) {
        out.waitEdge(trigger, triggerState, lv.idle);
    }
    out.jump(0, 0, lv.idle);
}

}  // namespace

bool buildChannelProgram(const ChannelBlock& channel, QnProgram& program) {
    const std::uint32_t mode = channel[kModeWord];
    if (mode > 4) {
        return false;
    }
    program.clear();
    ProgramWriter out(program);
    switch (mode) {
        case 1:
            buildExternalClock(channel, out);
            break;
        case 4:
            buildBurst(channel, out);
            break;
        default:
            buildPulseTrain(channel, mode == 3, out);
            break;
    }
    return out.fits();
}

bool buildMeasurementProgram(const MeasurementHeader& header, QnProgram& program) {
    program.clear();
    const std::int32_t input = static_cast<std::int32_t>(header.input);
    if (input <= 0) {
        return true;
    }
    const int startEdge = header.edge == 0 ? 1 : 0;
    const int endEdge = startEdge ^ (header.mode == 1 ? 1 : 0);
    ProgramWriter out(program);
    out.constant(0);
    out.load(0, 0);
    out.load(0, 0);
    out.waitEdge(input, startEdge, 0);
    out.countEdge(input, endEdge, 0);
    out.halt(1);
    program.entry1 = out.here();
    out.load(0, 0);
    out.halt(1);
    return out.fits();
}

}  // namespace zo::quinteldrv

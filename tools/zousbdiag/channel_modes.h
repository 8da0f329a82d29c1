#pragma once
// The five waveform modes of a channel: their numbers, the names a user types, what each does,
// which parameters and sources it uses, and an example that shows it.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zousbdiag {

struct ModeInfo {
    std::uint32_t number;  // the value of MODE
    const char* name;      // as the signal generator program shows it
    const char* typed;     // as MODE=... takes it
    const char* description;
    const char* uses;     // the parameters it reads
    const char* sources;  // the inputs it reads and what for
    const char* example;  // a complete command line
};

inline constexpr std::array<ModeInfo, 5> kModes = {{
    {0, "Internal", "internal",
     "A free-running pulse train of pulse set 1 on the hub's 20 ns clock, after DELAY. With a "
     "GATE_SOURCE the pulses run only while that input is active.",
     "DELAY HIGH_TIME LOW_TIME (or PERIOD) INVERT IDLE_LEVEL GATE_SOURCE GATE_INVERT",
     "GATE_SOURCE: the gate (none: always on)",
     "zousbdiag measure 1 out0 --outputs 0x1 --set 0:HIGH_TIME=250us --set 0:PERIOD=1kHz"},
    {1, "External", "external",
     "A pulse train whose DELAY, HIGH_TIME and LOW_TIME count transitions of the clock input "
     "EXT_SOURCE (two per clock cycle) instead of ticks: a divider of an external clock. With a "
     "GATE_SOURCE it starts when that input becomes active and stops when it becomes inactive.",
     "DELAY HIGH_TIME LOW_TIME (plain numbers) INVERT IDLE_LEVEL EXT_SOURCE EXT_INVERT GATE_SOURCE "
     "GATE_INVERT",
     "EXT_SOURCE: the clock (required); GATE_SOURCE: start and stop (none: always on)",
     "zousbdiag measure 1 out0 --outputs 0x1 --set 0:MODE=external --set 0:EXT_SOURCE=B "
     "--set 0:HIGH_TIME=2 --set 0:LOW_TIME=8"},
    {2, "Start/Stop", "start-stop",
     "Waits for GATE_SOURCE to become active, then after DELAY runs pulse set 1 while AUX_SOURCE "
     "is active. When AUX_SOURCE becomes inactive the train stops and the channel waits for its "
     "start again (without a GATE_SOURCE it stays stopped).",
     "DELAY HIGH_TIME LOW_TIME (or PERIOD) INVERT IDLE_LEVEL GATE_SOURCE GATE_INVERT AUX_SOURCE "
     "AUX_INVERT",
     "GATE_SOURCE: the start (none: at once); AUX_SOURCE: keeps it running (none: for ever)",
     "zousbdiag outputs 1 open 0x1 --set 0:MODE=start-stop --set 0:GATE_SOURCE=A "
     "--set 0:AUX_SOURCE=B --set 0:HIGH_TIME=10us --set 0:PERIOD=50kHz"},
    {3, "Rate Switch", "rate-switch",
     "Like Start/Stop, but while AUX_SOURCE is inactive the channel runs pulse set 2 (after "
     "DELAY2) instead of stopping: two rates, switched by AUX_SOURCE.",
     "DELAY HIGH_TIME LOW_TIME (or PERIOD) DELAY2 HIGH_TIME2 LOW_TIME2 (or PERIOD2) INVERT "
     "IDLE_LEVEL GATE_SOURCE GATE_INVERT AUX_SOURCE AUX_INVERT",
     "GATE_SOURCE: the start (none: at once); AUX_SOURCE: active pulse set 1, inactive pulse set 2",
     "zousbdiag outputs 1 open 0x1 --set 0:MODE=rate-switch --set 0:GATE_SOURCE=A "
     "--set 0:AUX_SOURCE=B --set 0:HIGH_TIME=10us --set 0:PERIOD=50kHz --set 0:HIGH_TIME2=2us "
     "--set 0:PERIOD2=200kHz"},
    {4, "Burst", "burst",
     "On a trigger from GATE_SOURCE, after DELAY, emits PULSE_COUNT pulses of pulse set 1. With "
     "RETRIGGER 1 (\"Burst Retriggered\", the default) it then waits for the next trigger; with "
     "RETRIGGER 0 (\"Burst Single\") it emits one burst only.",
     "DELAY HIGH_TIME LOW_TIME (or PERIOD) INVERT IDLE_LEVEL GATE_SOURCE GATE_INVERT PULSE_COUNT "
     "RETRIGGER",
     "GATE_SOURCE: the trigger (required: none never triggers)",
     "zousbdiag capture 1 10 burst.vcd --set 0:MODE=burst --set 0:GATE_SOURCE=A "
     "--set 0:PULSE_COUNT=5 --set 0:HIGH_TIME=10us --set 0:PERIOD=50kHz"},
}};

// A mode by its typed name, either case, '_' for '-' allowed.
std::optional<std::uint32_t> parseModeName(std::string_view text);

}  // namespace zousbdiag

#pragma once
// The library's channel parameters and signal sources as a user names them, and the
// "CHANNEL:PARAMETER=VALUE" settings given on the command line.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "include/QuintelDrv.h"

namespace zousbdiag {

// What a parameter's value counts.
enum class ValueKind {
    Mode,    // a mode number, 0 to 4
    Time,    // ticks of 20 ns (in mode 1: transitions of the clock input)
    Level,   // 0 or 1
    Source,  // a source number, 0 to 10
    Count,   // pulses
};

struct ParameterInfo {
    const char* name;
    std::uint32_t id;  // QN_PARAM_...
    std::uint32_t QnChannelSettings::*field;
    ValueKind kind;
    std::uint32_t maximum;  // the library refuses larger values
    std::uint32_t defaultValue;
    const char* meaning;
};

inline constexpr std::uint32_t kFullRange = 4294967295u;

inline constexpr std::array<ParameterInfo, 17> kParameters = {{
    {"MODE", QN_PARAM_MODE, &QnChannelSettings::mode, ValueKind::Mode, 4, 0,
     "the waveform mode (zousbdiag help modes)"},
    {"DELAY", QN_PARAM_DELAY, &QnChannelSettings::delay, ValueKind::Time, kFullRange, 0,
     "delay between the start condition and the first pulse"},
    {"HIGH_TIME", QN_PARAM_HIGH_TIME, &QnChannelSettings::highTime, ValueKind::Time, kFullRange, 1,
     "active phase of pulse set 1 (the pulse width)"},
    {"LOW_TIME", QN_PARAM_LOW_TIME, &QnChannelSettings::lowTime, ValueKind::Time, kFullRange, 1,
     "inactive phase of pulse set 1"},
    {"INVERT", QN_PARAM_INVERT, &QnChannelSettings::invert, ValueKind::Level, 1, 0,
     "level of the inactive phase; the active phase drives the other level"},
    {"IDLE_LEVEL", QN_PARAM_IDLE_LEVEL, &QnChannelSettings::idleLevel, ValueKind::Level, 1, 0,
     "level while the channel delays or waits for its start"},
    {"GATE_SOURCE", QN_PARAM_GATE_SOURCE, &QnChannelSettings::gateSource, ValueKind::Source, 10, 0,
     "gate (mode 0), start (modes 1 to 3) or trigger (mode 4) input"},
    {"GATE_INVERT", QN_PARAM_GATE_INVERT, &QnChannelSettings::gateInvert, ValueKind::Level, 1, 0,
     "polarity of GATE_SOURCE"},
    {"AUX_SOURCE", QN_PARAM_AUX_SOURCE, &QnChannelSettings::auxSource, ValueKind::Source, 10, 0,
     "second control input: run (mode 2) or rate (mode 3)"},
    {"AUX_INVERT", QN_PARAM_AUX_INVERT, &QnChannelSettings::auxInvert, ValueKind::Level, 1, 0,
     "polarity of AUX_SOURCE"},
    {"DELAY2", QN_PARAM_DELAY2, &QnChannelSettings::delay2, ValueKind::Time, kFullRange, 0,
     "delay before pulse set 2 (mode 3)"},
    {"HIGH_TIME2", QN_PARAM_HIGH_TIME2, &QnChannelSettings::highTime2, ValueKind::Time, kFullRange,
     1, "active phase of pulse set 2 (mode 3)"},
    {"LOW_TIME2", QN_PARAM_LOW_TIME2, &QnChannelSettings::lowTime2, ValueKind::Time, kFullRange, 1,
     "inactive phase of pulse set 2 (mode 3)"},
    {"EXT_SOURCE", QN_PARAM_EXT_SOURCE, &QnChannelSettings::extSource, ValueKind::Source, 10, 1,
     "external clock input (mode 1)"},
    {"EXT_INVERT", QN_PARAM_EXT_INVERT, &QnChannelSettings::extInvert, ValueKind::Level, 1, 0,
     "polarity of EXT_SOURCE"},
    {"PULSE_COUNT", QN_PARAM_PULSE_COUNT, &QnChannelSettings::pulseCount, ValueKind::Count, 65535,
     1, "pulses in a burst (mode 4)"},
    {"RETRIGGER", QN_PARAM_RETRIGGER, &QnChannelSettings::retrigger, ValueKind::Level, 1, 1,
     "mode 4: 1 a burst on every trigger, 0 one burst only"},
}};

// Settings the tool derives: PERIOD sets LOW_TIME (PERIOD2 LOW_TIME2) to the period less the
// channel's HIGH_TIME (HIGH_TIME2) once the other settings of the command are made. Numbers
// beyond the 0..255 a user may type, so they never reach the library.
inline constexpr std::uint32_t kPeriodParameter = 0x100;
inline constexpr std::uint32_t kPeriod2Parameter = 0x101;

// One QnSetParameter call: channel 0..7, or 8 for all channels.
struct ParameterSetting {
    std::uint32_t channel = 0;
    std::uint32_t parameter = 0;
    std::uint32_t value = 0;
    bool timed = false;     // given with a unit: ticks, which mean nothing in mode 1
    std::string note = {};  // how a value without a whole number of ticks was rounded
    bool operator==(const ParameterSetting&) const = default;
};

// The parameter's entry; null for numbers without a name and for PERIOD and PERIOD2.
const ParameterInfo* parameterInfo(std::uint32_t id);

// A parameter by name (either case, as in kParameters, or PERIOD, PERIOD2) or by number 0..255;
// the library judges whether the number exists.
std::optional<std::uint32_t> parseParameter(std::string_view text);
// "HIGH_TIME", "PERIOD", or "parameter 9" for a number without a name.
std::string parameterName(std::uint32_t id);

// A source number 1..10 by number or name: A, B, out0..out7 (either case).
std::optional<std::uint32_t> parseSource(std::string_view text);

// Channel, parameter and value as three words; nullopt with `error` set when one is wrong. The
// value is a number (ticks for a time), a time or rate with a unit for the time parameters and
// PERIOD, a source name (none, A, B, out0..out7) for the source parameters, or a mode name
// (internal, external, start-stop, rate-switch, burst) for MODE.
std::optional<ParameterSetting> parseSetting(std::string_view channel, std::string_view parameter,
                                             std::string_view value, std::string& error);
// The same written as one word "CHANNEL:PARAMETER=VALUE".
std::optional<ParameterSetting> parseSettingWord(std::string_view word, std::string& error);

}  // namespace zousbdiag

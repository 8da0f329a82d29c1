#pragma once
// The names a user types for the library's channel parameters and signal sources, and the
// "CHANNEL:PARAMETER=VALUE" settings given on the command line.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "include/QuintelDrv.h"

namespace zousbdiag {

struct ParameterName {
    const char* name;
    std::uint32_t id;  // QN_PARAM_...
    std::uint32_t QnChannelSettings::*field;
};

inline constexpr std::array<ParameterName, 17> kParameters = {{
    {"MODE", QN_PARAM_MODE, &QnChannelSettings::mode},
    {"DELAY", QN_PARAM_DELAY, &QnChannelSettings::delay},
    {"HIGH_TIME", QN_PARAM_HIGH_TIME, &QnChannelSettings::highTime},
    {"LOW_TIME", QN_PARAM_LOW_TIME, &QnChannelSettings::lowTime},
    {"INVERT", QN_PARAM_INVERT, &QnChannelSettings::invert},
    {"IDLE_LEVEL", QN_PARAM_IDLE_LEVEL, &QnChannelSettings::idleLevel},
    {"GATE_SOURCE", QN_PARAM_GATE_SOURCE, &QnChannelSettings::gateSource},
    {"GATE_INVERT", QN_PARAM_GATE_INVERT, &QnChannelSettings::gateInvert},
    {"AUX_SOURCE", QN_PARAM_AUX_SOURCE, &QnChannelSettings::auxSource},
    {"AUX_INVERT", QN_PARAM_AUX_INVERT, &QnChannelSettings::auxInvert},
    {"DELAY2", QN_PARAM_DELAY2, &QnChannelSettings::delay2},
    {"HIGH_TIME2", QN_PARAM_HIGH_TIME2, &QnChannelSettings::highTime2},
    {"LOW_TIME2", QN_PARAM_LOW_TIME2, &QnChannelSettings::lowTime2},
    {"EXT_SOURCE", QN_PARAM_EXT_SOURCE, &QnChannelSettings::extSource},
    {"EXT_INVERT", QN_PARAM_EXT_INVERT, &QnChannelSettings::extInvert},
    {"PULSE_COUNT", QN_PARAM_PULSE_COUNT, &QnChannelSettings::pulseCount},
    {"RETRIGGER", QN_PARAM_RETRIGGER, &QnChannelSettings::retrigger},
}};

// One QnSetParameter call: channel 0..7, or 8 for all channels.
struct ParameterSetting {
    std::uint32_t channel = 0;
    std::uint32_t parameter = 0;
    std::uint32_t value = 0;
    bool operator==(const ParameterSetting&) const = default;
};

// A parameter by name (either case, as in kParameters) or by number 0..255; the library judges
// whether the number exists.
std::optional<std::uint32_t> parseParameter(std::string_view text);
// "HIGH_TIME", or "parameter 9" for a number without a name.
std::string parameterName(std::uint32_t id);

// A source number 1..10 by number or name: A, B, out0..out7 (either case).
std::optional<std::uint32_t> parseSource(std::string_view text);

// Channel, parameter and value as three words; nullopt with `error` set when one is wrong.
std::optional<ParameterSetting> parseSetting(std::string_view channel, std::string_view parameter,
                                             std::string_view value, std::string& error);
// The same written as one word "CHANNEL:PARAMETER=VALUE".
std::optional<ParameterSetting> parseSettingWord(std::string_view word, std::string& error);

}  // namespace zousbdiag

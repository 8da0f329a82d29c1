#include "tools/zousbdiag/parameter_names.h"

#include <algorithm>
#include <cctype>

#include "tools/zousbdiag/channel_modes.h"
#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/time_text.h"

namespace zousbdiag {

namespace {

bool sameIgnoringCase(std::string_view left, std::string_view right) {
    return std::ranges::equal(left, right, [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) ==
               std::toupper(static_cast<unsigned char>(b));
    });
}

constexpr std::uint32_t kLastSource = 10;
constexpr std::uint32_t kFirstOutputSource = 3;

struct DerivedName {
    const char* name;
    std::uint32_t id;
};
constexpr std::array<DerivedName, 2> kDerived = {{
    {"PERIOD", kPeriodParameter},
    {"PERIOD2", kPeriod2Parameter},
}};

bool isPeriod(std::uint32_t id) {
    return id == kPeriodParameter || id == kPeriod2Parameter;
}

// A value with a unit for a time parameter or a period; nullopt with `error` set otherwise.
std::optional<TickValue> readTimeWithUnit(std::uint32_t id, std::string_view value,
                                          std::string& error) {
    const ParameterInfo* info = parameterInfo(id);
    if (!isPeriod(id) && (info == nullptr || info->kind != ValueKind::Time)) {
        error = parameterName(id) + " takes a plain number, not '" + std::string(value) + "'";
        return std::nullopt;
    }
    std::optional<TickValue> ticks = parseTicks(value, error);
    if (ticks && ticks->rate && !isPeriod(id)) {
        error = parameterName(id) + " takes a time, not the rate '" + std::string(value) +
                "'; a rate gives a period: PERIOD=" + std::string(value);
        return std::nullopt;
    }
    return ticks;
}

}  // namespace

const ParameterInfo* parameterInfo(std::uint32_t id) {
    const auto* found = std::ranges::find(kParameters, id, &ParameterInfo::id);
    return found == kParameters.end() ? nullptr : found;
}

std::optional<std::uint32_t> parseParameter(std::string_view text) {
    for (const ParameterInfo& parameter : kParameters) {
        if (sameIgnoringCase(text, parameter.name)) {
            return parameter.id;
        }
    }
    for (const DerivedName& derived : kDerived) {
        if (sameIgnoringCase(text, derived.name)) {
            return derived.id;
        }
    }
    if (const std::optional<std::uint64_t> number = parseNumber(text, 0xFF)) {
        return static_cast<std::uint32_t>(*number);
    }
    return std::nullopt;
}

std::string parameterName(std::uint32_t id) {
    if (const ParameterInfo* info = parameterInfo(id)) {
        return info->name;
    }
    for (const DerivedName& derived : kDerived) {
        if (derived.id == id) {
            return derived.name;
        }
    }
    return "parameter " + std::to_string(id);
}

std::optional<std::uint32_t> parseSource(std::string_view text) {
    if (sameIgnoringCase(text, "A")) {
        return 1;
    }
    if (sameIgnoringCase(text, "B")) {
        return 2;
    }
    if (text.size() == 4 && sameIgnoringCase(text.substr(0, 3), "out") && text[3] >= '0' &&
        text[3] <= '7') {
        return kFirstOutputSource + static_cast<std::uint32_t>(text[3] - '0');
    }
    const std::optional<std::uint64_t> number = parseNumber(text, kLastSource);
    if (!number || *number == 0) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*number);
}

std::optional<ParameterSetting> parseSetting(std::string_view channel, std::string_view parameter,
                                             std::string_view value, std::string& error) {
    ParameterSetting setting;
    const std::optional<std::uint64_t> channelNumber = parseNumber(channel, QN_ALL_CHANNELS);
    if (!channelNumber) {
        error = "'" + std::string(channel) + "' is not a channel from 0 to 7 or 8 (all)";
        return std::nullopt;
    }
    const std::optional<std::uint32_t> id = parseParameter(parameter);
    if (!id) {
        error = "'" + std::string(parameter) + "' is not a parameter name (such as HIGH_TIME) " +
                "or number (zousbdiag help parameters)";
        return std::nullopt;
    }
    setting.channel = static_cast<std::uint32_t>(*channelNumber);
    setting.parameter = *id;
    const ParameterInfo* info = parameterInfo(*id);
    if (info != nullptr && info->kind == ValueKind::Source &&
        (sameIgnoringCase(value, "none") || parseSource(value))) {
        setting.value = sameIgnoringCase(value, "none") ? 0 : *parseSource(value);
    } else if (const std::optional<std::uint32_t> mode = parseModeName(value);
               mode && info != nullptr && info->kind == ValueKind::Mode) {
        setting.value = *mode;
    } else if (hasUnit(value)) {
        const std::optional<TickValue> ticks = readTimeWithUnit(*id, value, error);
        if (!ticks) {
            return std::nullopt;
        }
        setting.value = ticks->ticks;
        setting.timed = true;
        if (!ticks->note.empty()) {
            setting.note = parameterName(*id) + "=" + ticks->note;
        }
    } else if (const std::optional<std::uint64_t> number = parseNumber(value, UINT32_MAX)) {
        setting.value = static_cast<std::uint32_t>(*number);
    } else {
        error = "'" + std::string(value) + "' is not a 32-bit value" +
                (info != nullptr && info->kind == ValueKind::Time
                     ? std::string(", nor a time such as 250us")
                     : std::string());
        return std::nullopt;
    }
    return setting;
}

std::optional<ParameterSetting> parseSettingWord(std::string_view word, std::string& error) {
    const std::size_t colon = word.find(':');
    const std::size_t equals = word.find('=', colon == std::string_view::npos ? 0 : colon);
    if (colon == std::string_view::npos || equals == std::string_view::npos) {
        error = "'" + std::string(word) + "' is not CHANNEL:PARAMETER=VALUE";
        return std::nullopt;
    }
    return parseSetting(word.substr(0, colon), word.substr(colon + 1, equals - colon - 1),
                        word.substr(equals + 1), error);
}

}  // namespace zousbdiag

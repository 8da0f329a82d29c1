#include "tools/zousbdiag/parameter_names.h"

#include <algorithm>
#include <cctype>

#include "tools/zousbdiag/hex_text.h"

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

}  // namespace

std::optional<std::uint32_t> parseParameter(std::string_view text) {
    for (const ParameterName& parameter : kParameters) {
        if (sameIgnoringCase(text, parameter.name)) {
            return parameter.id;
        }
    }
    if (const std::optional<std::uint64_t> number = parseNumber(text, 0xFF)) {
        return static_cast<std::uint32_t>(*number);
    }
    return std::nullopt;
}

std::string parameterName(std::uint32_t id) {
    for (const ParameterName& parameter : kParameters) {
        if (parameter.id == id) {
            return parameter.name;
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
                "or number";
        return std::nullopt;
    }
    const std::optional<std::uint64_t> number = parseNumber(value, UINT32_MAX);
    if (!number) {
        error = "'" + std::string(value) + "' is not a 32-bit value";
        return std::nullopt;
    }
    setting.channel = static_cast<std::uint32_t>(*channelNumber);
    setting.parameter = *id;
    setting.value = static_cast<std::uint32_t>(*number);
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

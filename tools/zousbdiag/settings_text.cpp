#include "tools/zousbdiag/settings_text.h"

#include <array>
#include <cstdio>

#include "tools/zousbdiag/parameter_names.h"
#include "tools/zousbdiag/time_text.h"

namespace zousbdiag {

namespace {

void appendCell(std::string& line, const char* format, const char* text) {
    char cell[32];
    std::snprintf(cell, sizeof cell, format, text);
    line += cell;
}

void trimRight(std::string& line) {
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
}

constexpr std::uint32_t kExternalClockMode = 1;

// The row under a time parameter: each channel's value in readable units, "-" for a channel in
// mode 1, whose times count clock transitions.
std::string timeRow(const QnDeviceSettings& settings, const ParameterInfo& row) {
    std::string line;
    appendCell(line, "%-12s", "  = time");
    for (const QnChannelSettings& channel : settings.channels) {
        appendCell(
            line, "%11s",
            channel.mode == kExternalClockMode ? "-" : ticksText(channel.*row.field).c_str());
    }
    trimRight(line);
    return line + "\n";
}

// The value in the first channel the setting addresses, with readable units for a time.
std::string valueText(const QnDeviceSettings& settings, std::uint32_t channel,
                      std::uint32_t parameter) {
    const ParameterInfo* info = parameterInfo(parameter);
    if (info == nullptr) {
        return "";
    }
    const QnChannelSettings& block = settings.channels[channel];
    const std::uint32_t value = block.*info->field;
    const bool time = info->kind == ValueKind::Time && block.mode != kExternalClockMode;
    return std::to_string(value) + (time ? " (" + ticksText(value) + ")" : "");
}

}  // namespace

std::string sourceName(std::uint32_t source) {
    switch (source) {
        case 0:
            return "none";
        case 1:
            return "input A";
        case 2:
            return "input B";
        default:
            return source <= 10 ? "channel " + std::to_string(source - 3) + " output"
                                : "out of range";
    }
}

std::string settingsText(const QnDeviceSettings& settings) {
    std::string text = "Size marker  " + std::to_string(settings.size) +
                       (settings.size == QN_SETTINGS_SIZE ? "\n" : " (not 1028)\n");
    text += "Measurement  input " + std::to_string(settings.measureInput) + " (" +
            sourceName(settings.measureInput) + "), mode " + std::to_string(settings.measureMode) +
            ", edge " + std::to_string(settings.measureEdge) + "\n";
    std::string header;
    appendCell(header, "%-12s", "Parameter");
    for (int channel = 0; channel < QN_CHANNEL_COUNT; ++channel) {
        appendCell(header, "%11s", ("Ch" + std::to_string(channel)).c_str());
    }
    text += header + "\n";
    for (const ParameterInfo& row : kParameters) {
        std::string line;
        appendCell(line, "%-12s", row.name);
        for (const QnChannelSettings& channel : settings.channels) {
            appendCell(line, "%11s", std::to_string(channel.*row.field).c_str());
        }
        trimRight(line);
        text += line + "\n";
        if (row.kind == ValueKind::Time) {
            text += timeRow(settings, row);
        }
    }
    std::size_t nonZero = 0;
    for (const std::uint32_t word : settings.reserved) {
        nonZero += word != 0 ? 1 : 0;
    }
    text += nonZero == 0 ? "Reserved     117 words, all 0\n"
                         : "Reserved     117 words, " + std::to_string(nonZero) + " not 0\n";
    return text;
}

std::string settingLine(const ParameterSetting& setting, const QnDeviceSettings& settings) {
    const bool all = setting.channel >= QN_CHANNEL_COUNT;
    const std::uint32_t channel = all ? 0 : setting.channel;
    std::string line =
        (all ? std::string("All channels") : "Channel " + std::to_string(setting.channel)) + "  " +
        parameterName(setting.parameter) + " = ";
    if (setting.parameter != kPeriodParameter && setting.parameter != kPeriod2Parameter) {
        const std::string value = valueText(settings, channel, setting.parameter);
        return line + (value.empty() ? std::to_string(setting.value) : value);
    }
    const std::uint32_t low =
        setting.parameter == kPeriodParameter ? QN_PARAM_LOW_TIME : QN_PARAM_LOW_TIME2;
    line += std::to_string(setting.value);
    if (settings.channels[channel].mode != kExternalClockMode && setting.value > 0) {
        line += " (" + ticksText(setting.value) + ", " +
                rateText(1e9 / static_cast<double>(setting.value * kNanosecondsPerTick)) + ")";
    }
    return line + ": " + parameterName(low) + " = " + valueText(settings, channel, low);
}

}  // namespace zousbdiag

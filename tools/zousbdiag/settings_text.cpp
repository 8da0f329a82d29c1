#include "tools/zousbdiag/settings_text.h"

#include <array>
#include <cstdio>

#include "tools/zousbdiag/parameter_names.h"

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
    for (const ParameterName& row : kParameters) {
        std::string line;
        appendCell(line, "%-12s", row.name);
        for (const QnChannelSettings& channel : settings.channels) {
            appendCell(line, "%11s", std::to_string(channel.*row.field).c_str());
        }
        trimRight(line);
        text += line + "\n";
    }
    std::size_t nonZero = 0;
    for (const std::uint32_t word : settings.reserved) {
        nonZero += word != 0 ? 1 : 0;
    }
    text += nonZero == 0 ? "Reserved     117 words, all 0\n"
                         : "Reserved     117 words, " + std::to_string(nonZero) + " not 0\n";
    return text;
}

}  // namespace zousbdiag

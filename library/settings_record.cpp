#include "library/settings_record.h"

#include <cstring>

#include "library/parameter_table.h"

namespace zo::quinteldrv {

namespace {

bool clampWord(std::uint32_t& word, std::uint32_t maximum) {
    if (word <= maximum) {
        return false;
    }
    word = maximum;
    return true;
}

}  // namespace

QnDeviceSettings defaultSettings() {
    QnDeviceSettings settings{};
    settings.size = QN_SETTINGS_SIZE;
    settings.measureInput = 1;
    for (QnChannelSettings& channel : settings.channels) {
        for (const Parameter& parameter : channelParameters()) {
            channel.*parameter.field = parameter.defaultValue;
        }
    }
    return settings;
}

bool hasSizeMarker(const QnDeviceSettings& settings) {
    return settings.size == QN_SETTINGS_SIZE;
}

bool clampSettings(QnDeviceSettings& settings) {
    bool changed = clampWord(settings.measureInput, kLastSourceNumber);
    changed = clampWord(settings.measureMode, kLastMeasureMode) || changed;
    for (QnChannelSettings& channel : settings.channels) {
        for (const Parameter& parameter : channelParameters()) {
            changed = clampWord(channel.*parameter.field, parameter.maximum) || changed;
        }
    }
    return changed;
}

bool sameChannel(const QnDeviceSettings& left, const QnDeviceSettings& right, unsigned channel) {
    return std::memcmp(&left.channels[channel], &right.channels[channel],
                       sizeof(QnChannelSettings)) == 0;
}

}  // namespace zo::quinteldrv

#include "tools/zousbdiag/setting_application.h"

#include "tools/zousbdiag/open_device.h"
#include "tools/zousbdiag/time_text.h"

namespace zousbdiag {

namespace {

constexpr std::uint32_t kExternalClockMode = 1;

std::string channelText(std::uint32_t channel) {
    return channel == QN_ALL_CHANNELS ? std::string("all channels")
                                      : "channel " + std::to_string(channel);
}

// The phase pair a period setting divides: HIGH_TIME and LOW_TIME, or the second set's.
struct PhasePair {
    std::uint32_t QnChannelSettings::*high;
    std::uint32_t highParameter;
    std::uint32_t lowParameter;
};

PhasePair phasesOf(std::uint32_t periodParameter) {
    return periodParameter == kPeriodParameter
               ? PhasePair{&QnChannelSettings::highTime, QN_PARAM_HIGH_TIME, QN_PARAM_LOW_TIME}
               : PhasePair{&QnChannelSettings::highTime2, QN_PARAM_HIGH_TIME2, QN_PARAM_LOW_TIME2};
}

bool isPeriod(std::uint32_t parameter) {
    return parameter == kPeriodParameter || parameter == kPeriod2Parameter;
}

std::string setParameter(QnHandle handle, QnDeviceSettings& record, std::uint32_t channel,
                         std::uint32_t parameter, std::uint32_t value, const std::string& shown) {
    const std::int32_t status = QnSetParameter(handle, &record, channel, parameter, value);
    if (status == QN_OK) {
        return {};
    }
    return "QnSetParameter refused " + channelText(channel) + " " + parameterName(parameter) +
           " = " + shown + ": " + statusName(status);
}

// A period and the low time of the same channels in one command contradict each other.
std::string conflictingLowTime(std::span<const ParameterSetting> settings,
                               const ParameterSetting& period) {
    const PhasePair phases = phasesOf(period.parameter);
    for (const ParameterSetting& other : settings) {
        if (other.parameter == phases.lowParameter &&
            (channelMask(other.channel) & channelMask(period.channel)) != 0) {
            return parameterName(period.parameter) + " sets " + parameterName(phases.lowParameter) +
                   " of " + channelText(period.channel) + ", which this command also sets; give" +
                   " one of them";
        }
    }
    return {};
}

// LOW_TIME = PERIOD - HIGH_TIME in each channel the period addresses.
std::string applyPeriod(QnHandle handle, const ParameterSetting& period, QnDeviceSettings& record) {
    const PhasePair phases = phasesOf(period.parameter);
    for (std::uint32_t channel = 0; channel < QN_CHANNEL_COUNT; ++channel) {
        if ((channelMask(period.channel) & (1u << channel)) == 0) {
            continue;
        }
        const std::uint32_t high = record.channels[channel].*phases.high;
        if (period.value <= high) {
            const bool ticks = record.channels[channel].mode != kExternalClockMode;
            const auto shown = [ticks](std::uint32_t value) {
                return std::to_string(value) + (ticks ? " (" + ticksText(value) + ")" : "");
            };
            return parameterName(period.parameter) + " " + shown(period.value) + " of channel " +
                   std::to_string(channel) + " is not longer than its " +
                   parameterName(phases.highParameter) + " " + shown(high);
        }
        const std::uint32_t low = period.value - high;
        if (std::string error = setParameter(handle, record, channel, phases.lowParameter, low,
                                             std::to_string(low));
            !error.empty()) {
            return error;
        }
    }
    return {};
}

// A time with a unit becomes ticks, which a channel in mode 1 would read as clock transitions.
std::string timeInExternalClockMode(const ParameterSetting& setting,
                                    const QnDeviceSettings& record) {
    for (std::uint32_t channel = 0; channel < QN_CHANNEL_COUNT; ++channel) {
        if ((channelMask(setting.channel) & (1u << channel)) != 0 &&
            record.channels[channel].mode == kExternalClockMode) {
            return "channel " + std::to_string(channel) + " is in mode 1 (External), where " +
                   parameterName(setting.parameter) +
                   " counts transitions of the clock input, not time: give a plain number";
        }
    }
    return {};
}

}  // namespace

std::uint32_t channelMask(std::uint32_t channel) {
    return channel >= QN_CHANNEL_COUNT ? 0xFFu : 1u << channel;
}

std::string applySettings(QnHandle handle, std::span<const ParameterSetting> settings,
                          QnDeviceSettings& record) {
    for (const ParameterSetting& setting : settings) {
        if (isPeriod(setting.parameter)) {
            if (std::string error = conflictingLowTime(settings, setting); !error.empty()) {
                return error;
            }
            continue;
        }
        const std::string shown = std::to_string(setting.value);
        if (std::string error = setParameter(handle, record, setting.channel, setting.parameter,
                                             setting.value, shown);
            !error.empty()) {
            return error;
        }
    }
    for (const ParameterSetting& setting : settings) {
        if (isPeriod(setting.parameter)) {
            if (std::string error = applyPeriod(handle, setting, record); !error.empty()) {
                return error;
            }
        }
    }
    for (const ParameterSetting& setting : settings) {
        if (setting.timed) {
            if (std::string error = timeInExternalClockMode(setting, record); !error.empty()) {
                return error;
            }
        }
    }
    return {};
}

}  // namespace zousbdiag

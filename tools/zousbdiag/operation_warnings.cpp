#include "tools/zousbdiag/operation_warnings.h"

#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/setting_application.h"

namespace zousbdiag {

namespace {

constexpr std::uint32_t kFirstOutputSource = 3;

void warn(std::ostream& err, const std::string& text) {
    err << "zousbdiag: warning: " << text << '\n';
}

std::string maskText(std::uint32_t mask) {
    return hexNumber(mask, 1);
}

}  // namespace

std::uint32_t channelsOf(std::span<const ParameterSetting> settings) {
    std::uint32_t mask = 0;
    for (const ParameterSetting& setting : settings) {
        mask |= channelMask(setting.channel);
    }
    return mask;
}

void warnAboutSilentOutputs(const QnDeviceSettings& settings, std::uint32_t openMask,
                            const InputSignals& inputs, std::ostream& err) {
    if (openMask == 0) {
        warn(err, "no output is open, so nothing comes out");
        return;
    }
    for (const SilentOutput& silent : silentOutputs(settings, openMask, inputs)) {
        warn(err, "output " + std::to_string(silent.channel) + " shows no pulse: " + silent.reason);
    }
}

void warnAboutClosedOutputs(const QnDeviceSettings& settings,
                            std::span<const ParameterSetting> changes, const InputSignals& inputs,
                            std::ostream& err) {
    const std::uint32_t channels = channelsOf(changes);
    warn(err,
         "the outputs stay closed, so nothing comes out; every run is a fresh machine: "
         "open them in the same run with 'outputs ID open " +
             maskText(channels) + " --set ...'");
    for (const SilentOutput& silent : silentOutputs(settings, channels, inputs)) {
        warn(err, "output " + std::to_string(silent.channel) +
                      " would show no pulse even when open: " + silent.reason);
    }
}

void warnAboutMeasuredSource(std::uint32_t source, const QnDeviceSettings& settings,
                             std::uint32_t openMask, const InputSignals& inputs,
                             std::ostream& err) {
    const std::string wait = "; the measurement waits for an edge that never comes";
    if ((source == 1 && inputs.a == false) || (source == 2 && inputs.b == false)) {
        warn(err, std::string("input ") + (source == 1 ? "A" : "B") + " has no signal" + wait);
        return;
    }
    if (source < kFirstOutputSource) {
        return;
    }
    const std::uint32_t channel = source - kFirstOutputSource;
    const std::string name = "out" + std::to_string(channel);
    if ((openMask & (1u << channel)) == 0) {
        warn(err, name + " is closed and stays low" + wait + " (open it with --outputs " +
                      maskText(openMask | 1u << channel) + ")");
        return;
    }
    for (const SilentOutput& silent : silentOutputs(settings, openMask, inputs)) {
        if (silent.channel == channel) {
            warn(err, name + " shows no pulse: " + silent.reason + wait);
        }
    }
}

}  // namespace zousbdiag

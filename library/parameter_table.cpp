#include "library/parameter_table.h"

#include <array>
#include <limits>

namespace zo::quinteldrv {

namespace {

constexpr std::uint32_t kFullRange = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kLastSource = 10;  // 0 none, 1 input A, 2 input B, 3..10 channel 0..7

using C = QnChannelSettings;
constexpr std::array<Parameter, 17> kParameters = {{
    {QN_PARAM_MODE, &C::mode, 4, 0, 0, 0},
    {QN_PARAM_DELAY, &C::delay, kFullRange, 0, 0, 0},
    {QN_PARAM_HIGH_TIME, &C::highTime, kFullRange, 1, 0, 1},
    {QN_PARAM_LOW_TIME, &C::lowTime, kFullRange, 1, 0, 1},
    {QN_PARAM_INVERT, &C::invert, 1, 0, 0, 0},
    {QN_PARAM_IDLE_LEVEL, &C::idleLevel, 1, 0, 0, 0},
    {QN_PARAM_GATE_SOURCE, &C::gateSource, kLastSource, 0, 0, 0},
    {QN_PARAM_GATE_INVERT, &C::gateInvert, 1, 0, 0, 0},
    {QN_PARAM_AUX_SOURCE, &C::auxSource, kLastSource, 0, 0, 0},
    {QN_PARAM_AUX_INVERT, &C::auxInvert, 1, 0, 0, 0},
    {QN_PARAM_DELAY2, &C::delay2, kFullRange, 0, 0, 0},
    {QN_PARAM_HIGH_TIME2, &C::highTime2, kFullRange, 1, 0, 1},
    {QN_PARAM_LOW_TIME2, &C::lowTime2, kFullRange, 1, 0, 1},
    {QN_PARAM_EXT_SOURCE, &C::extSource, kLastSource, 1, 0, 1},
    {QN_PARAM_EXT_INVERT, &C::extInvert, 1, 0, 0, 0},
    {QN_PARAM_PULSE_COUNT, &C::pulseCount, 65535, 1, 0, 1},
    {QN_PARAM_RETRIGGER, &C::retrigger, 1, 0, 0, 1},
}};

}  // namespace

std::span<const Parameter> channelParameters() {
    return kParameters;
}

const Parameter* findParameter(std::uint32_t id) {
    for (const Parameter& parameter : kParameters) {
        if (parameter.id == id) {
            return &parameter;
        }
    }
    return nullptr;
}

}  // namespace zo::quinteldrv

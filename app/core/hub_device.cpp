#include "app/core/hub_device.h"

#include "app/core/device_units.h"
#include "app/core/zoqn_helper.h"

namespace zo::quintel {
namespace {

constexpr std::uint32_t kAllOutputs = 0xFF;
constexpr std::uint32_t kInputA = 1;
constexpr std::uint32_t kInputB = 2;

}  // namespace

CHubDevice::CHubDevice() = default;

CHubDevice::~CHubDevice() {
    Close();
}

std::int32_t CHubDevice::Open(std::uint32_t id) {
    Close();
    m_nDeviceId = id;
    QnHandle handle = nullptr;
    if (const std::int32_t status = CZoqnHelper::OpenDevice(id, &handle); status != QN_OK) {
        return status;
    }
    m_hDevice = handle;
    m_settings.size = QN_SETTINGS_SIZE;
    return ReadDefaultSettings();
}

void CHubDevice::Close() {
    if (m_hDevice != nullptr) {
        CZoqnHelper::CloseDevice(m_hDevice);
        m_hDevice = nullptr;
    }
}

std::int32_t CHubDevice::GetDeviceInfo(std::uint32_t type, std::int32_t* value,
                                       std::int32_t* reserved) {
    return CZoqnHelper::GetDeviceInfo(m_hDevice, type, value, reserved);
}

std::int32_t CHubDevice::ReadDefaultSettings() {
    return CZoqnHelper::ReadDefaultSettings(m_hDevice, &m_settings);
}

std::int32_t CHubDevice::ReadDeviceSettings() {
    return CZoqnHelper::ReadDeviceSettings(m_hDevice, &m_settings);
}

std::int32_t CHubDevice::RefreshDeviceSettings() {
    return CZoqnHelper::RefreshDeviceSettings(m_hDevice, &m_settings);
}

std::int32_t CHubDevice::WriteParameter(std::uint32_t channel, std::uint32_t id,
                                        std::uint32_t value) {
    return CZoqnHelper::SetParameter(m_hDevice, &m_settings, channel, id, value);
}

std::int32_t CHubDevice::SetParameter(std::uint32_t channel, std::uint32_t id,
                                      std::uint32_t value) {
    if (id == QN_PARAM_INVERT) {
        WriteParameter(channel, QN_PARAM_IDLE_LEVEL, value);
    }
    return WriteParameter(channel, id, value);
}

std::int32_t CHubDevice::OpenOutputs(std::uint32_t mask) {
    return CZoqnHelper::OpenOutputs(m_hDevice, mask);
}

std::int32_t CHubDevice::CloseOutputs(std::uint32_t mask) {
    return CZoqnHelper::CloseOutputs(m_hDevice, mask);
}

std::int32_t CHubDevice::SynchMeasure(std::uint32_t input, std::uint32_t mode, std::int32_t edge,
                                      std::int32_t* result, std::uint32_t timeout) {
    return CZoqnHelper::SynchMeasure(m_hDevice, input, mode, edge, result, timeout);
}

void CHubDevice::SwitchOutputs(const DeviceConfig& config, bool on) {
    if (!on) {
        CloseOutputs(kAllOutputs);
        return;
    }
    std::uint32_t mask = 0;
    for (std::uint32_t c = 0; c < kChannelCount; ++c) {
        if (config.channels[c].outputOn != 0) {
            mask |= 1u << c;
        }
    }
    OpenOutputs(mask);
}

bool CHubDevice::AnyOutputOn(const DeviceConfig& config) {
    for (const ChannelConfig& channel : config.channels) {
        if (channel.outputOn != 0) {
            return true;
        }
    }
    return false;
}

std::int32_t CHubDevice::GetSpeedCode() {
    std::int32_t value = 0;
    std::int32_t reserved = 0;
    GetDeviceInfo(kSpeedInfoType, &value, &reserved);
    return value;
}

std::int32_t CHubDevice::ApplyTiming(std::uint32_t channel, std::uint32_t mode,
                                     std::uint32_t period, std::uint32_t width, bool second) {
    const PulseTiming timing = PulseTimingOf(mode, period, width);
    const std::uint32_t highId = second ? QN_PARAM_HIGH_TIME2 : QN_PARAM_HIGH_TIME;
    const std::uint32_t lowId = second ? QN_PARAM_LOW_TIME2 : QN_PARAM_LOW_TIME;
    if (const std::int32_t status = SetParameter(channel, highId, timing.high); status != QN_OK) {
        return status;
    }
    return SetParameter(channel, lowId, timing.low);
}

std::int32_t CHubDevice::ApplyDelay(std::uint32_t channel, std::uint32_t mode, std::uint32_t id,
                                    std::uint32_t value) {
    return SetParameter(channel, id, DelayOf(mode, value));
}

void CHubDevice::ApplyPulseSets(std::uint32_t channel, const ChannelConfig& config) {
    ApplyTiming(channel, config.mode, config.period1, config.width1, false);
    ApplyDelay(channel, config.mode, QN_PARAM_DELAY, config.delay);
    ApplyTiming(channel, config.mode, config.period2, config.width2, true);
    ApplyDelay(channel, config.mode, QN_PARAM_DELAY2, 0);
}

std::int32_t CHubDevice::ApplyChannelMode(std::uint32_t channel, const ChannelConfig& config) {
    const std::uint32_t mode = config.mode;
    switch (mode) {
        case kModeExternal:
            SetParameter(channel, QN_PARAM_EXT_SOURCE, config.extSource);
            SetParameter(channel, QN_PARAM_GATE_SOURCE, config.gateSource);
            SetParameter(channel, QN_PARAM_AUX_SOURCE, 0);
            break;
        case kModeStartStop:
        case kModeRateSwitch:
            // Started on input A, controlled by input B.
            SetParameter(channel, QN_PARAM_GATE_SOURCE, kInputA);
            SetParameter(channel, QN_PARAM_AUX_SOURCE, kInputB);
            break;
        case kModeInternal:
        case kModeBurstSingle:
        case kModeBurstRetriggered:
            SetParameter(channel, QN_PARAM_GATE_SOURCE, config.gateSource);
            SetParameter(channel, QN_PARAM_AUX_SOURCE, 0);
            break;
        default:
            break;
    }
    std::int32_t status = SetParameter(channel, QN_PARAM_MODE, LibraryModeOf(mode));
    if (status == QN_OK) {
        status = SetParameter(channel, QN_PARAM_RETRIGGER, RetriggerOf(mode));
    }
    ApplyPulseSets(channel, config);
    return status;
}

std::int32_t CHubDevice::ApplyConfiguration(const DeviceConfig& config) {
    for (std::uint32_t c = 0; c < kChannelCount; ++c) {
        const ChannelConfig& channel = config.channels[c];
        ApplyChannelMode(c, channel);
        SetParameter(c, QN_PARAM_INVERT, channel.invert);
        SetParameter(c, QN_PARAM_EXT_SOURCE, channel.extSource);
        SetParameter(c, QN_PARAM_EXT_INVERT, channel.extInvert);
        SetParameter(c, QN_PARAM_GATE_SOURCE, channel.gateSource);
        SetParameter(c, QN_PARAM_GATE_INVERT, channel.gateInvert);
        ApplyPulseSets(c, channel);
        SetParameter(c, QN_PARAM_PULSE_COUNT, channel.pulseCount);
    }
    return RefreshDeviceSettings();
}

}  // namespace zo::quintel

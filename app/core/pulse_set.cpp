#include "app/core/pulse_set.h"

#include <algorithm>

namespace zo::quintel {
namespace {

bool inRange(std::uint32_t value, std::uint32_t low, std::uint32_t high) {
    return value >= low && value <= high;
}

}  // namespace

PulseSet PulseSet::First(ChannelConfig& channel) {
    const std::uint32_t minPeriod = channel.mode == kModeExternal ? kMinExternalPeriod : kMinPeriod;
    return {channel.period1, channel.frequency1, channel.rate1Unit, channel.width1,
            channel.duty1,   channel.width1Unit, minPeriod};
}

PulseSet PulseSet::Second(ChannelConfig& channel) {
    return {channel.period2, channel.frequency2, channel.rate2Unit, channel.width2,
            channel.duty2,   channel.width2Unit, kMinPeriod};
}

std::uint32_t PulseSet::maxWidth() const {
    // A frequency rounded down may stand for a longer time than the period: 400000 µs is 2 Hz,
    // whose 500000 µs would let the width pass the period.
    const std::uint32_t byFrequency = kMicrosecondsPerSecond / std::max(frequency_, 1u);
    const std::uint32_t longest = std::min(byFrequency, std::max(period_, 1u)) - 1;
    return std::max(longest, 1u);
}

std::uint32_t PulseSet::widthOfDuty(std::uint32_t duty) const {
    const std::uint64_t width = std::uint64_t{duty} * 1000 / std::max(frequency_, 1u);
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(width, 1, maxWidth()));
}

std::uint32_t PulseSet::dutyOfWidth(std::uint32_t width) const {
    const std::uint64_t duty = std::uint64_t{width} * frequency_ / 1000;
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(duty, kMinDuty, kMaxDuty));
}

std::uint32_t PulseSet::SetRate(std::uint32_t value) {
    if (rateUnit_ == kRateAsPeriod) {
        period_ = std::clamp(value, minPeriod_, kMaxPeriod);
        frequency_ = kMicrosecondsPerSecond / period_;
    } else {
        frequency_ = std::clamp(value, kMinFrequency, maxFrequency());
        period_ = kMicrosecondsPerSecond / frequency_;
    }
    if (widthUnit_ == kWidthAsDuty) {
        width_ = widthOfDuty(duty_);
    } else {
        width_ = std::min(width_, maxWidth());
        duty_ = dutyOfWidth(width_);
    }
    return Rate();
}

std::uint32_t PulseSet::SetWidth(std::uint32_t value) {
    if (widthUnit_ == kWidthAsDuty) {
        duty_ = std::clamp(value, kMinDuty, kMaxDuty);
        width_ = widthOfDuty(duty_);
        return duty_;
    }
    width_ = std::clamp(value, 1u, maxWidth());
    duty_ = dutyOfWidth(width_);
    return width_;
}

bool PulseSet::rateIsSound() const {
    return inRange(period_, minPeriod_, kMaxPeriod) &&
           inRange(frequency_, kMinFrequency, maxFrequency()) &&
           (frequency_ == kMicrosecondsPerSecond / period_ ||
            period_ == kMicrosecondsPerSecond / frequency_);
}

bool PulseSet::widthIsSound() const {
    return inRange(width_, 1, maxWidth()) && inRange(duty_, kMinDuty, kMaxDuty) &&
           (width_ == widthOfDuty(duty_) || duty_ == dutyOfWidth(width_));
}

void PulseSet::Normalise() {
    if (rateUnit_ != kRateAsFrequency && rateUnit_ != kRateAsPeriod) {
        rateUnit_ = kRateAsFrequency;
    }
    if (widthUnit_ != kWidthAsWidth && widthUnit_ != kWidthAsDuty) {
        widthUnit_ = kWidthAsDuty;
    }
    if (!rateIsSound()) {
        SetRate(Rate());
    }
    if (!widthIsSound()) {
        SetWidth(Width());
    }
}

}  // namespace zo::quintel

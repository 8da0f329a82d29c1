#pragma once
// One pulse set of a channel as the editor keeps it: the rate both as frequency and as period,
// the active duration both as width and as duty cycle, and which form of each the editor shows.
// Every change goes through here, so both forms always agree and stay inside the limits the hub
// can produce: the editor's digit steps, a mode change and the loading of a stored record.
//
// Units: frequency in Hz, duty cycle in per mille; period and width in µs, or in cycles of the
// external clock for pulse set 1 in the external-clock mode.

#include <cstdint>

#include "app/core/device_config.h"

namespace zo::quintel {

inline constexpr std::uint32_t kMicrosecondsPerSecond = 1'000'000;
inline constexpr std::uint32_t kMaxPeriod = 1'000'000;
inline constexpr std::uint32_t kMinPeriod = 10;         // µs
inline constexpr std::uint32_t kMinExternalPeriod = 1;  // external clock cycles
inline constexpr std::uint32_t kMinFrequency = 1;
inline constexpr std::uint32_t kMinDuty = 1;
inline constexpr std::uint32_t kMaxDuty = 999;

class PulseSet {
  public:
    // Pulse set 1 (period1 … width1Unit); its shortest period depends on the channel's mode.
    static PulseSet First(ChannelConfig& channel);
    // Pulse set 2 (period2 … width2Unit), the second rate of the rate-switch mode.
    static PulseSet Second(ChannelConfig& channel);

    std::uint32_t minPeriod() const { return minPeriod_; }
    // The frequency of the shortest period: 100000 Hz, or 1000000 Hz in cycles of the external
    // clock.
    std::uint32_t maxFrequency() const { return kMicrosecondsPerSecond / minPeriod_; }
    // The longest width: below the period in both of its forms, and at least 1.
    std::uint32_t maxWidth() const;

    // The rate and the width in the form the editor shows them.
    std::uint32_t Rate() const { return rateUnit_ == kRateAsPeriod ? period_ : frequency_; }
    std::uint32_t Width() const { return widthUnit_ == kWidthAsDuty ? duty_ : width_; }

    // Takes a rate in the form shown (period when rateUnit is kRateAsPeriod, else frequency),
    // clamped to its limits, derives the other form, and lets the width follow: a width shown as
    // duty cycle is recomputed from it; a width shown as such is lowered to the new limit when it
    // no longer fits, and its duty cycle recomputed. Returns the rate as stored.
    std::uint32_t SetRate(std::uint32_t value);

    // Takes a width in the form shown (duty cycle when widthUnit is kWidthAsDuty, else width),
    // clamped to its limits, and derives the other form. Returns the value as stored.
    std::uint32_t SetWidth(std::uint32_t value);

    // Brings a pair from elsewhere (a stored record, a mode change) inside the limits: a unit
    // field that is neither form becomes the default form; a rate or a width whose forms are
    // outside their limits or disagree is set again from the form shown. Pairs the editor made
    // are left exactly as they are.
    void Normalise();

  private:
    PulseSet(std::uint32_t& period, std::uint32_t& frequency, std::uint32_t& rateUnit,
             std::uint32_t& width, std::uint32_t& duty, std::uint32_t& widthUnit,
             std::uint32_t minPeriod)
        : period_(period),
          frequency_(frequency),
          rateUnit_(rateUnit),
          width_(width),
          duty_(duty),
          widthUnit_(widthUnit),
          minPeriod_(minPeriod) {}

    bool rateIsSound() const;
    bool widthIsSound() const;
    std::uint32_t widthOfDuty(std::uint32_t duty) const;
    std::uint32_t dutyOfWidth(std::uint32_t width) const;

    std::uint32_t& period_;
    std::uint32_t& frequency_;
    std::uint32_t& rateUnit_;
    std::uint32_t& width_;
    std::uint32_t& duty_;
    std::uint32_t& widthUnit_;
    const std::uint32_t minPeriod_;
};

}  // namespace zo::quintel

#pragma once
// The program's channel configuration in the user's units: a 24-byte header and eight 160-byte
// channel blocks. It is stored byte for byte as a registry value, so its layout is a persisted
// format: every field is a little-endian 32-bit word except the label.

#include <array>
#include <cstddef>
#include <cstdint>

namespace zo::quintel {

inline constexpr std::size_t kChannelCount = 8;
inline constexpr std::size_t kLabelSize = 64;
inline constexpr std::uint32_t kDeviceConfigSize = 1304;

// Program modes as the editor offers them. Modes 0..3 are the library's modes 0..3; both burst
// modes are library mode 4, told apart by the retrigger parameter.
enum ProgramMode : std::uint32_t {
    kModeInternal = 0,
    kModeExternal = 1,
    kModeStartStop = 2,
    kModeRateSwitch = 3,
    kModeBurstSingle = 4,
    kModeBurstRetriggered = 5,
};
inline constexpr std::uint32_t kLastProgramMode = kModeBurstRetriggered;

// How a rate or a width is edited.
inline constexpr std::uint32_t kRateAsFrequency = 0;
inline constexpr std::uint32_t kRateAsPeriod = 1;
inline constexpr std::uint32_t kWidthAsWidth = 0;
inline constexpr std::uint32_t kWidthAsDuty = 1;

struct ChannelConfig {
    std::uint32_t outputOn;                 // 1 while the output is switched on
    std::array<char, kLabelSize> label;     // zero-terminated, at most 63 characters
    std::array<std::uint32_t, 2> reserved;  // not used
    std::uint32_t mode;                     // ProgramMode
    std::uint32_t invert;                   // output inverted
    std::uint32_t extSource;                // external clock of mode 1: 1 input A, 2 input B
    std::uint32_t extInvert;                // external clock inverted
    std::uint32_t gateSource;               // 0 none, 1 input A, 2 input B, 3 + k channel k
    std::uint32_t gateInvert;               // gate or trigger inverted
    std::uint32_t period1;                  // µs; in mode 1 external clock cycles
    std::uint32_t frequency1;               // Hz
    std::uint32_t rate1Unit;                // kRateAsFrequency or kRateAsPeriod
    std::uint32_t width1;                   // µs; in mode 1 external clock cycles
    std::uint32_t duty1;                    // per mille
    std::uint32_t width1Unit;               // kWidthAsWidth or kWidthAsDuty
    std::uint32_t period2;                  // µs, pulse set 2 (rate switch)
    std::uint32_t frequency2;               // Hz
    std::uint32_t rate2Unit;                // kRateAsFrequency or kRateAsPeriod
    std::uint32_t pulseCount;               // pulses per burst
    std::uint32_t width2;                   // µs
    std::uint32_t duty2;                    // per mille
    std::uint32_t width2Unit;               // kWidthAsWidth or kWidthAsDuty
    std::uint32_t delay;                    // 0.1 µs; in mode 1 external clock cycles
    std::uint32_t locked;                   // member of the lock group
};
static_assert(sizeof(ChannelConfig) == 160);
static_assert(offsetof(ChannelConfig, mode) == 76);
static_assert(offsetof(ChannelConfig, locked) == 156);

struct DeviceConfig {
    std::uint32_t size;             // kDeviceConfigSize in every stored record, else 0
    std::uint32_t measuredPeriodA;  // ns, 0 = none; cleared on every load
    std::uint32_t measuredPeriodB;  // ns, 0 = none; cleared on every load
    std::uint32_t autoTimeBase;     // 1: the diagram chooses its time base
    std::uint32_t timeBase;         // diagram time base in µs, 0 = not yet set
    std::uint32_t currentChannel;   // channel shown in the editor
    std::array<ChannelConfig, kChannelCount> channels;
};
static_assert(sizeof(DeviceConfig) == kDeviceConfigSize);
static_assert(offsetof(DeviceConfig, channels) == 24);

// All bytes zero, the automatic time base on, and every channel at 100 Hz (10000 µs) with 50 %
// duty (5000 µs, 500 ‰), no delay, output off, labelled "Channel 00" … "Channel 07". The size
// word stays 0; it is set only when the record is saved.
void SetDefaultConfig(DeviceConfig& config);

}  // namespace zo::quintel

#pragma once
// A recorded stretch of the hub's signals: the eight channel outputs and inputs A and B, each a
// wire, with the level of every wire at the start and every change after it in time order.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zo::hub {

inline constexpr std::size_t kWaveformWireCount = 10;
inline constexpr std::uint8_t kWireInputA = 8;
inline constexpr std::uint8_t kWireInputB = 9;  // wires 0..7: outputs of channels 0..7

struct WaveformTransition {
    std::uint64_t nanoseconds = 0;  // since the hub was powered on
    std::uint8_t wire = 0;
    bool level = false;

    bool operator==(const WaveformTransition&) const = default;
};

struct Waveform {
    std::uint64_t startNanoseconds = 0;
    std::uint64_t endNanoseconds = 0;
    std::array<bool, kWaveformWireCount> initialLevels{};
    std::vector<WaveformTransition> transitions;
    // The recording reached its transition limit: it then ends (endNanoseconds) at the first
    // transition that did not fit, and everything before that moment is complete.
    bool truncated = false;
};

// "out0".."out7", "inA", "inB".
std::string_view wireName(std::uint8_t wire);

}  // namespace zo::hub

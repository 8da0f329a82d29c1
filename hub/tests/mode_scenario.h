#pragma once
// The setting in which the mode tests run channel 1: inputs A and B and channel 0 as the sources
// it may be gated, triggered, started, stopped or clocked by, all slow enough that the channel
// sees each of their levels for hundreds of ticks, and channel 2 as a fast clock. The channels run
// the programs the library compiles for their settings.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "hub/testing/library_channels.h"
#include "hub/tests/mode_intent.h"
#include "library/compiler/channel_block.h"

namespace zo::hub::test {

using quinteldrv::ChannelBlock;

inline constexpr double kInputAHz = 40'000;  // 625 ticks high, 625 low
inline constexpr double kInputBHz = 25'000;  // 1000 ticks high, 1000 low
inline constexpr std::uint8_t kSourceChannel = 0;
inline constexpr std::uint8_t kChannelUnderTest = 1;
inline constexpr std::uint8_t kClockChannel = 2;
inline constexpr std::uint32_t kSourceOfChannel0 = 3;
inline constexpr std::uint32_t kSourceOfClockChannel = 3 + kClockChannel;

// The outputs open at a moment between two ticks, well before the sources' first edges.
inline constexpr std::uint64_t kOpenNanoseconds = 2'010;
inline constexpr std::uint64_t kFirstTick = kOpenNanoseconds / kTickNanoseconds + 1;

enum class Source : std::uint32_t { None = 0, A = 1, B = 2, Channel0 = 3 };

inline std::string sourceName(Source source) {
    switch (source) {
        case Source::None:
            return "None";
        case Source::A:
            return "A";
        case Source::B:
            return "B";
        case Source::Channel0:
            return "Channel0";
    }
    return "?";
}

// A free train of the given phases.
inline ChannelBlock freeTrain(std::uint32_t delay, std::uint32_t high, std::uint32_t low) {
    ChannelBlock block = defaultChannel();
    block[quinteldrv::kDelayWord] = delay;
    block[quinteldrv::kHighTimeWord] = high;
    block[quinteldrv::kLowTimeWord] = low;
    return block;
}

// Channel 0: 150 ticks idle, then 400 high and 700 low. Channel 2: 13 high, 13 low.
inline ChannelBlock sourceChannel() {
    return freeTrain(150, 400, 700);
}
inline ChannelBlock clockChannel() {
    return freeTrain(0, 13, 13);
}

struct Recording {
    Waveform waveform;
    Trace output;
    Trace inputA;
    Trace inputB;
    Trace channel0;
    Trace clock;

    explicit Recording(Waveform recorded)
        : waveform(std::move(recorded)),
          output(waveform, kChannelUnderTest),
          inputA(waveform, kWireInputA),
          inputB(waveform, kWireInputB),
          channel0(waveform, kSourceChannel),
          clock(waveform, kClockChannel) {}

    std::uint64_t endTick() const { return output.endTick(); }

    // A source number as channel 1 sees it, active at the level its invert field selects.
    SeenSource seen(std::uint32_t source, bool inverted) const {
        const bool activeLevel = !inverted;
        switch (source) {
            case 1:
                return {&inputA, 0, activeLevel};
            case 2:
                return {&inputB, 0, activeLevel};
            case kSourceOfChannel0:
                return {&channel0, 1, activeLevel};
            case kSourceOfClockChannel:
                return {&clock, 1, activeLevel};
            default:
                return {};
        }
    }
};

// Runs channel 1 with `settings` beside channels 0 and 2 for `ticks` ticks from the moment the
// outputs open; nothing when the library could not compile or load a program.
inline std::optional<Recording> runChannel(const ChannelBlock& settings, std::uint64_t ticks,
                                           const HubOptions& options = {.inputAHz = kInputAHz,
                                                                        .inputBHz = kInputBHz}) {
    std::array<ChannelBlock, 8> channels{};
    channels[kSourceChannel] = sourceChannel();
    channels[kChannelUnderTest] = settings;
    channels[kClockChannel] = clockChannel();
    Waveform waveform =
        recordLibraryChannels(channels, 0x07, kOpenNanoseconds, ticks * kTickNanoseconds, options);
    if (waveform.endNanoseconds == 0) {
        return std::nullopt;
    }
    return Recording(std::move(waveform));
}

// Channel settings with the idle level at the inactive level, so that every stretch of the
// active level is a pulse.
inline ChannelBlock channelSettings(std::uint32_t mode, std::uint32_t delay, std::uint32_t high,
                                    std::uint32_t low, bool invert) {
    ChannelBlock block = freeTrain(delay, high, low);
    block[quinteldrv::kModeWord] = mode;
    block[quinteldrv::kInvertWord] = invert ? 1 : 0;
    block[quinteldrv::kIdleLevelWord] = invert ? 1 : 0;
    return block;
}

}  // namespace zo::hub::test

#pragma once
// The packets of the hub's isochronous endpoint 0x88: a 24-byte header, then the samples, two
// bytes each. All fields little-endian. See hub/README.md, "Streaming".

#include <cstddef>
#include <cstdint>

namespace zo::hub {

inline constexpr std::uint8_t kSignalPacketFormat = 1;
inline constexpr std::size_t kSignalPacketHeaderSize = 24;
inline constexpr std::size_t kSignalSampleSize = 2;
inline constexpr std::uint8_t kSignalCount = 10;  // outputs 0..7 in bits 0..7, A in 8, B in 9
// Flag: samples were lost before this packet (nobody collected them in time).
inline constexpr std::uint8_t kSignalPacketGap = 0x01;

#pragma pack(push, 1)
struct SignalPacketHeader {
    std::uint8_t format;        // kSignalPacketFormat
    std::uint8_t headerLength;  // kSignalPacketHeaderSize
    std::uint16_t sampleCount;  // samples after the header
    std::uint32_t sequence;     // packets answered since the stream started, from 0
    std::uint32_t frame;        // the bus's (micro)frame number of this packet, low 32 bits
    std::uint16_t periodTicks;  // 20 ns ticks from one sample to the next
    std::uint8_t flags;
    std::uint8_t signalCount;  // kSignalCount
    std::uint64_t firstTick;   // the tick (20 ns since power-on) of the first sample
};
#pragma pack(pop)
static_assert(sizeof(SignalPacketHeader) == kSignalPacketHeaderSize);

}  // namespace zo::hub

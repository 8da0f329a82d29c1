#pragma once
// Reading the packets of the hub's isochronous endpoint 0x88 (hub/README.md, "Streaming"): the
// ten signals sampled at a fixed period, with what a reader needs to see what it lost.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zousbdiag {

struct SignalPacket {
    std::uint32_t sequence = 0;  // packets the hub answered since the stream started, from 0
    std::uint32_t frame = 0;     // the bus (micro)frame of the packet
    std::uint16_t periodTicks = 0;
    bool samplesLostBefore = false;  // the hub dropped samples nobody collected in time
    std::uint64_t firstTick = 0;     // 20 ns ticks since the hub's power-on
    // Bit k: output k (0..7); bit 8: input A; bit 9: input B.
    std::vector<std::uint16_t> samples;
};

// Nullopt for bytes that are not a whole packet of this format.
std::optional<SignalPacket> readSignalPacket(std::span<const std::uint8_t> bytes);

}  // namespace zousbdiag

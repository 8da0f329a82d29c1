#include "tools/zousbdiag/signal_packet_reader.h"

#include "hub/signal_packet.h"
#include "tools/zousbdiag/little_endian_fields.h"

namespace zousbdiag {

std::optional<SignalPacket> readSignalPacket(std::span<const std::uint8_t> bytes) {
    using zo::hub::kSignalPacketHeaderSize;
    if (bytes.size() < kSignalPacketHeaderSize || bytes[0] != zo::hub::kSignalPacketFormat ||
        bytes[1] != kSignalPacketHeaderSize) {
        return std::nullopt;
    }
    const std::uint16_t count = readLe16(bytes, 2);
    if (bytes.size() != kSignalPacketHeaderSize + count * zo::hub::kSignalSampleSize) {
        return std::nullopt;
    }
    SignalPacket packet;
    packet.sequence = readLe32(bytes, 4);
    packet.frame = readLe32(bytes, 8);
    packet.periodTicks = readLe16(bytes, 12);
    packet.samplesLostBefore = (bytes[14] & zo::hub::kSignalPacketGap) != 0;
    packet.firstTick = readLe32(bytes, 16) | static_cast<std::uint64_t>(readLe32(bytes, 20)) << 32;
    if (packet.periodTicks == 0) {
        return std::nullopt;
    }
    for (std::size_t index = 0; index < count; ++index) {
        packet.samples.push_back(
            readLe16(bytes, kSignalPacketHeaderSize + index * zo::hub::kSignalSampleSize));
    }
    return packet;
}

}  // namespace zousbdiag

#include "tools/zousbdiag/isochronous_pipe.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/little_endian_fields.h"

namespace zousbdiag {

namespace {

constexpr std::size_t kInterfaceRecordCapacity = 1024;
constexpr std::uint32_t kIsochronousPipeType = 1;
constexpr std::size_t kPipeEndpointOffset = 2;
constexpr std::size_t kPipeTypeOffset = 4;

}  // namespace

std::optional<IsochronousPipe> findIsochronousPipe(HubConnection& hub,
                                                   std::optional<std::uint32_t> index,
                                                   std::string& why) {
    std::vector<std::uint8_t> record(kInterfaceRecordCapacity);
    const auto result = hub.control(IOCTL_ZOUSB_QUERY_INTERFACE, {}, record);
    if (!result.succeeded() || result.bytesReturned < kInterfaceFirstPipeOffset) {
        why = "the hub has no interface selected";
        return std::nullopt;
    }
    const std::uint32_t pipes = std::min<std::uint32_t>(
        readLe32(record, kInterfaceNumberOfPipesOffset),
        static_cast<std::uint32_t>((result.bytesReturned - kInterfaceFirstPipeOffset) /
                                   kPipeRecordSize));
    for (std::uint32_t pipe = 0; pipe < pipes; ++pipe) {
        if (index && pipe != *index) {
            continue;
        }
        const std::span<const std::uint8_t> entry =
            std::span(record).subspan(kInterfaceFirstPipeOffset + pipe * kPipeRecordSize);
        if (readLe32(entry, kPipeTypeOffset) == kIsochronousPipeType) {
            return IsochronousPipe{pipe, entry[kPipeEndpointOffset], readLe16(entry, 0)};
        }
        if (index) {
            why = "pipe " + std::to_string(pipe) + " is not an isochronous pipe";
            return std::nullopt;
        }
    }
    why =
        index ? "the hub has no pipe " + std::to_string(*index) : "the hub has no isochronous pipe";
    return std::nullopt;
}

std::optional<IsochronousHub> openIsochronousHub(unsigned instance,
                                                 std::optional<std::uint32_t> index,
                                                 std::ostream& err) {
    std::optional<HubConnection> hub = openHubOrReport(instance, err);
    if (!hub) {
        return std::nullopt;
    }
    std::string why;
    const std::optional<IsochronousPipe> pipe = findIsochronousPipe(*hub, index, why);
    if (!pipe) {
        err << "zousbdiag: " << hubDeviceName(instance) << ": " << why << '\n';
        return std::nullopt;
    }
    return IsochronousHub{std::move(*hub), *pipe};
}

ZOUSB_ISO_TRANSFER isoTransferRecord(const IsochronousPipe& pipe,
                                     const IsochronousOptions& options) {
    return {pipe.index, options.packetSize.value_or(pipe.maximumPacketSize), options.packets,
            options.packetsPerTransfer, options.transfers};
}

std::vector<std::uint8_t> isoTransferBytes(const ZOUSB_ISO_TRANSFER& record) {
    std::vector<std::uint8_t> bytes(sizeof record);
    std::memcpy(bytes.data(), &record, sizeof record);
    return bytes;
}

std::vector<ReceivedPacket> receivedPackets(std::span<const std::uint8_t> output,
                                            std::uint32_t count, std::uint32_t packetSize) {
    std::vector<ReceivedPacket> packets;
    const std::size_t records = static_cast<std::size_t>(count) * packetSize;
    for (std::uint32_t packet = 0; packet < count; ++packet) {
        const std::span<const std::uint8_t> record =
            output.subspan(records + packet * sizeof(ZOUSB_PACKET_RECORD));
        const std::uint32_t length = std::min(readLe32(record, 4), packetSize);
        packets.push_back({static_cast<std::int32_t>(readLe32(record, 8)),
                           output.subspan(static_cast<std::size_t>(packet) * packetSize, length)});
    }
    return packets;
}

std::string usbdStatusName(std::int32_t status) {
    struct Named {
        std::uint32_t status;
        const char* name;
    };
    static constexpr std::array<Named, 9> kNames = {{
        {0x00000000, "USBD_STATUS_SUCCESS"},
        {0xC0000004, "USBD_STATUS_STALL_PID"},
        {0xC0000005, "USBD_STATUS_DEV_NOT_RESPONDING"},
        {0xC0000A00, "USBD_STATUS_BAD_START_FRAME"},
        {0xC0000B00, "USBD_STATUS_ISOCH_REQUEST_FAILED"},
        {0xC0007000, "USBD_STATUS_DEVICE_GONE"},
        {0xC0010000, "USBD_STATUS_CANCELED"},
        {0x80000300, "USBD_STATUS_INVALID_PARAMETER"},
        {0x80000600, "USBD_STATUS_INVALID_PIPE_HANDLE"},
    }};
    const auto bits = static_cast<std::uint32_t>(status);
    for (const Named& named : kNames) {
        if (named.status == bits) {
            return named.name;
        }
    }
    return hexNumber(bits, 8);
}

}  // namespace zousbdiag

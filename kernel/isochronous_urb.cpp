#include "kernel/isochronous_urb.h"

#include <algorithm>

#include "kernel/linux_urb_status.h"
#include "kernel/usb_bus.h"

namespace zo::kernel {

namespace {

constexpr ULONG kHighSpeedMaxPackets = 1024;
constexpr ULONG kFullSpeedMaxPackets = 256;
constexpr ULONG kMicroframesPerFrame = 8;

bool isIn(const PipeState& pipe) {
    return (pipe.endpoint & 0x80) != 0;
}

// Where the packet ends: at the next packet's offset, the last one at the end of the buffer.
ULONG packetEnd(const _URB_ISOCH_TRANSFER& transfer, ULONG index) {
    return index + 1 < transfer.NumberOfPackets ? transfer.IsoPacket[index + 1].Offset
                                                : transfer.TransferBufferLength;
}

std::int32_t linuxStatusOf(USBD_STATUS status) {
    if (status == USBD_STATUS_SUCCESS) {
        return linuxUrbStatus(UrbOutcome::Ok);
    }
    if (status == USBD_STATUS_CANCELED) {
        return linuxUrbStatus(UrbOutcome::Cancelled);
    }
    if (status == USBD_STATUS_STALL_PID) {
        return linuxUrbStatus(UrbOutcome::Stall);
    }
    return linuxUrbStatus(UrbOutcome::NotResponding);
}

}  // namespace

ULONG maxIsochronousPackets(usb::Speed speed) {
    return speed == usb::Speed::High ? kHighSpeedMaxPackets : kFullSpeedMaxPackets;
}

ULONG isochronousPacketRoom(const PipeState& pipe) {
    const ULONG transactions = 1u + ((pipe.maximumPacketSize >> 11) & 3u);
    return (pipe.maximumPacketSize & 0x7FFu) * transactions;
}

IsochronousCheck checkIsochronousUrb(UsbPort& port, URB& urb, PipeState& pipe) {
    auto& transfer = urb.UrbIsochronousTransfer;
    IsochronousCheck check;
    if (urb.UrbHeader.Length < isochUrbSize(0) ||
        urb.UrbHeader.Length < isochUrbSize(transfer.NumberOfPackets)) {
        check.status = USBD_STATUS_INVALID_PARAMETER;
        return check;
    }
    check.descriptorsUsable = true;
    const usb::Speed speed = port.device().speed();
    {
        std::lock_guard lock(port.mutex());
        const auto found = port.findPipe(transfer.PipeHandle);
        if (!found) {
            check.status = USBD_STATUS_INVALID_PIPE_HANDLE;
            return check;
        }
        pipe = *found;
    }
    const ULONG packets = transfer.NumberOfPackets;
    const ULONG interval = std::clamp<ULONG>(pipe.interval, 1, 16);
    // At high speed with packets in every microframe, a transfer fills whole frames.
    const ULONG perFrame = interval >= 4 ? 1 : kMicroframesPerFrame >> (interval - 1);
    if (pipe.type != UsbdPipeTypeIsochronous || packets == 0 ||
        packets > maxIsochronousPackets(speed) ||
        (speed == usb::Speed::High && packets % perFrame != 0)) {
        check.status = USBD_STATUS_INVALID_PARAMETER;
        return check;
    }
    for (ULONG index = 0; index < packets; ++index) {
        const ULONG offset = transfer.IsoPacket[index].Offset;
        const ULONG end = packetEnd(transfer, index);
        const bool tooLongToSend = !isIn(pipe) && end - offset > isochronousPacketRoom(pipe);
        if (end < offset || end > transfer.TransferBufferLength || tooLongToSend) {
            check.status = USBD_STATUS_INVALID_PARAMETER;
            return check;
        }
    }
    const auto buffer = urbTransferBuffer(transfer.TransferBuffer, transfer.TransferBufferMDL,
                                          transfer.TransferBufferLength);
    if (!buffer) {
        check.status = USBD_STATUS_INVALID_PARAMETER;
        return check;
    }
    check.buffer = *buffer;
    return check;
}

std::span<std::uint8_t> isochronousPacket(const URB& urb, std::span<std::uint8_t> buffer,
                                          ULONG index) {
    const auto& transfer = urb.UrbIsochronousTransfer;
    const ULONG offset = transfer.IsoPacket[index].Offset;
    return buffer.subspan(offset, packetEnd(transfer, index) - offset);
}

USBD_STATUS closeIsochronousUrb(URB& urb, ULONG firstNotRun, USBD_STATUS ending) {
    auto& transfer = urb.UrbIsochronousTransfer;
    ULONG failed = 0;
    for (ULONG index = 0; index < transfer.NumberOfPackets; ++index) {
        USBD_ISO_PACKET_DESCRIPTOR& packet = transfer.IsoPacket[index];
        if (index >= firstNotRun) {
            packet.Status = ending;
            packet.Length = 0;
        }
        failed += USBD_ERROR(packet.Status) ? 1 : 0;
    }
    transfer.ErrorCount = failed;
    if (USBD_ERROR(ending)) {
        return ending;
    }
    return failed == transfer.NumberOfPackets ? USBD_STATUS_ISOCH_REQUEST_FAILED
                                              : USBD_STATUS_SUCCESS;
}

USBD_STATUS packetStatus(const usb::TransferResult& result) {
    switch (result.status) {
        case usb::TransferStatus::Ok:
            return USBD_STATUS_SUCCESS;
        case usb::TransferStatus::Stall:
            return USBD_STATUS_STALL_PID;
        case usb::TransferStatus::NotResponding:
            break;
    }
    return USBD_STATUS_DEV_NOT_RESPONDING;
}

std::vector<UsbmonIsoPacket> usbmonPackets(const URB& urb, char kind) {
    const auto& transfer = urb.UrbIsochronousTransfer;
    std::vector<UsbmonIsoPacket> packets;
    if (kind == 'E') {
        return packets;
    }
    packets.reserve(transfer.NumberOfPackets);
    for (ULONG index = 0; index < transfer.NumberOfPackets; ++index) {
        const USBD_ISO_PACKET_DESCRIPTOR& packet = transfer.IsoPacket[index];
        // A submission shows each packet's room and no outcome yet.
        const bool submitted = kind == 'S';
        packets.push_back({submitted ? kLinuxUrbInProgress : linuxStatusOf(packet.Status),
                           packet.Offset,
                           submitted ? packetEnd(transfer, index) - packet.Offset : packet.Length});
    }
    return packets;
}

UsbmonEvent usbmonIsochronousEvent(char kind, const PipeState& pipe, const URB& urb,
                                   std::span<const std::uint8_t> buffer,
                                   std::span<const UsbmonIsoPacket> packets) {
    const auto& transfer = urb.UrbIsochronousTransfer;
    UsbmonEvent event;
    event.urbId = reinterpret_cast<std::uintptr_t>(&urb);
    event.kind = kind;
    event.transferType = UsbTransferType::Isochronous;
    event.endpoint = pipe.endpoint;
    event.transferFlags = transfer.TransferFlags;
    UsbmonIsochronous isochronous;
    isochronous.startFrame = static_cast<std::int32_t>(transfer.StartFrame);
    isochronous.interval = std::max<std::int32_t>(pipe.interval, 1);
    isochronous.packets = packets;
    if (kind == 'S') {
        event.status = kLinuxUrbInProgress;
        event.urbLength = transfer.TransferBufferLength;
        event.data = isIn(pipe) ? std::span<const std::uint8_t>{} : buffer;
    } else if (kind == 'C') {
        event.status = linuxStatusOf(urb.UrbHeader.Status);
        isochronous.errorCount = static_cast<std::int32_t>(transfer.ErrorCount);
        // The data runs to the end of the last packet that carried anything.
        std::uint32_t carried = 0;
        std::size_t end = 0;
        for (const UsbmonIsoPacket& packet : packets) {
            carried += packet.length;
            if (packet.length > 0) {
                end = std::max<std::size_t>(end, packet.offset + packet.length);
            }
        }
        event.urbLength = isIn(pipe) ? carried : transfer.TransferBufferLength;
        event.data = isIn(pipe) ? buffer.first(std::min(end, buffer.size()))
                                : std::span<const std::uint8_t>{};
    } else {
        event.status = linuxStatusOf(urb.UrbHeader.Status);
    }
    event.isochronous = isochronous;
    return event;
}

}  // namespace zo::kernel

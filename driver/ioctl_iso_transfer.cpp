// One-shot isochronous transfers (IOCTL_ZOUSB_ISO_READ, IOCTL_ZOUSB_ISO_WRITE): a fixed number of
// packets between the device and the caller's buffer while the caller waits. Several slots keep
// USB transfers in flight; each sends its next chunk from its completion routine, so the pipe is
// served in every (micro)frame. Data lands in the caller's buffer in place, packet p at
// p x packetSize, and the packet records follow the data.

#include <atomic>
#include <cstring>

#include "driver/iso_transfer.h"

namespace {

void writeRecords(const IsoTransferContext& context, ULONG firstPacket,
                  const USBD_ISO_PACKET_DESCRIPTOR* descriptors) {
    std::memcpy(context.Records + static_cast<std::size_t>(firstPacket) * kPacketRecordSize,
                descriptors,
                static_cast<std::size_t>(context.PacketsPerTransfer) * kPacketRecordSize);
}

// The chunks a slot will not send because the device is going: their packets say so.
void recordUnsent(const IsoTransferContext& context, ULONG firstPacket, ULONG step) {
    for (ULONG chunk = firstPacket; chunk < context.PacketCount; chunk += step) {
        for (ULONG packet = 0; packet < context.PacketsPerTransfer; ++packet) {
            const ZOUSB_PACKET_RECORD record{packet * context.PacketSize, 0, USBD_STATUS_CANCELED};
            std::memcpy(
                context.Records + static_cast<std::size_t>(chunk + packet) * kPacketRecordSize,
                &record, sizeof record);
        }
    }
}

NTSTATUS oneShotCompleted(DEVICE_OBJECT*, IRP*, PVOID slotContext) {
    auto& slot = *static_cast<IsoTransferSlot*>(slotContext);
    const IsoTransferContext& context = *slot.Context;
    // Failures show in the packet records only; the request's and the URB's status are not kept.
    settleUnreachedPackets(slot);
    writeRecords(context, slot.FirstPacket, slot.Urb->UrbIsochronousTransfer.IsoPacket);
    const ULONG step = context.TransferCount * context.PacketsPerTransfer;
    slot.FirstPacket += step;
    const bool finished = slot.FirstPacket >= context.PacketCount;
    // Removal has aborted the pipe: sending the rest would keep the removal waiting for it.
    const bool removing =
        std::atomic_ref<BOOLEAN>(contextOf(context.Device)->Removing).load() != FALSE;
    if (finished || removing) {
        if (!finished) {
            recordUnsent(context, slot.FirstPacket, step);
        }
        releaseSlot(slot);
        KeSetEvent(&slot.Done, 1, FALSE);
        return STATUS_MORE_PROCESSING_REQUIRED;
    }
    buildSlotTransfer(slot, oneShotCompleted);
    sendSlot(slot);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

}  // namespace

IoctlResult isoTransfer(DEVICE_OBJECT* device, const IoctlRequest& request) {
    ZOUSB_ISO_TRANSFER record{};
    USBD_PIPE_INFORMATION pipe{};
    if (const NTSTATUS refused = checkIsoRequest(device, request, record, pipe);
        !NT_SUCCESS(refused)) {
        return {refused, 0};
    }
    const std::uint64_t chunk =
        static_cast<std::uint64_t>(record.packetsPerTransfer) * record.transfers;
    if (record.packetCount == 0 || record.packetCount % chunk != 0) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    const std::uint64_t needed =
        static_cast<std::uint64_t>(record.packetCount) * (record.packetSize + kPacketRecordSize);
    if (request.outputLength < needed || request.outputMdl == nullptr) {
        return {STATUS_UNSUCCESSFUL, 0};
    }
    IsoTransferContext* context = allocateIsoContext(device, record, pipe);
    if (context == nullptr) {
        return {STATUS_NO_MEMORY, 0};
    }
    context->PacketCount = record.packetCount;
    context->DataLength = record.packetCount * record.packetSize;
    context->Data =
        static_cast<UCHAR*>(MmGetSystemAddressForMdlSafe(request.outputMdl, NormalPagePriority));
    if (context->Data == nullptr || !NT_SUCCESS(allocateSlots(*context))) {
        freeIsoContext(context);
        return {STATUS_NO_MEMORY, 0};
    }
    context->Records = context->Data + context->DataLength;
    for (ULONG index = 0; index < context->TransferCount; ++index) {
        buildSlotTransfer(context->Slots[index], oneShotCompleted);
    }
    for (ULONG index = 0; index < context->TransferCount; ++index) {
        sendSlot(context->Slots[index]);
    }
    for (ULONG index = 0; index < context->TransferCount; ++index) {
        KeWaitForSingleObject(&context->Slots[index].Done, Executive, KernelMode, FALSE, nullptr);
    }
    freeIsoContext(context);
    return {STATUS_SUCCESS, 0};
}

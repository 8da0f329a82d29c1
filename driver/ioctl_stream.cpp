// Streams: an isochronous pipe read in the background into two rings, one of data and one of
// packet records, from which callers collect whatever has arrived (IOCTL_ZOUSB_START_STREAM,
// IOCTL_ZOUSB_READ_STREAM, IOCTL_ZOUSB_STOP_STREAM).
//
// Every slot owns its part of a staging buffer for good and sends its USB transfer again from its
// completion routine, after copying the transfer's records and data into the rings, both or
// neither, so the rings always hold the same packets. A slot winds down at the completion after a
// stop, a failed transfer or the start of removal; the last one releases the stream, unless a
// read still holds it, which then does. A running stream counts as a request in progress, so
// removal waits for its wind-down.

#include <atomic>
#include <cstring>
#include <limits>
#include <span>

#include "driver/iso_transfer.h"

namespace {

bool flagSet(BOOLEAN& flag) {
    return std::atomic_ref<BOOLEAN>(flag).load() != FALSE;
}

void freeStream(IsoTransferContext* stream) {
    freeByteRing(stream->DataRing);
    freeByteRing(stream->PacketRing);
    if (stream->Data != nullptr) {
        ExFreePool(stream->Data);
    }
    freeIsoContext(stream);
}

void dropReference(IsoTransferContext* stream) {
    if (InterlockedDecrement(&stream->References) == 0) {
        freeStream(stream);
    }
}

// The running stream with a reference taken, or null when none runs.
IsoTransferContext* referenceStream(DeviceContext& device) {
    KIRQL irql;
    KeAcquireSpinLock(&device.StreamLock, &irql);
    IsoTransferContext* stream = device.Stream;
    if (stream != nullptr) {
        InterlockedIncrement(&stream->References);
    }
    KeReleaseSpinLock(&device.StreamLock, irql);
    return stream;
}

// The last slot has ended: the device no longer has a stream, and the slots' reference and the
// stream's count of requests in progress go.
void windDown(IsoTransferContext* stream) {
    DEVICE_OBJECT* device = stream->Device;
    DeviceContext& context = *contextOf(device);
    KIRQL irql;
    KeAcquireSpinLock(&context.StreamLock, &irql);
    context.Stream = nullptr;
    context.StreamData = nullptr;
    context.StreamPackets = nullptr;
    KeReleaseSpinLock(&context.StreamLock, irql);
    dropReference(stream);
    leaveRequest(device);
}

// Copies a finished transfer into the rings when both have room for their part, else drops it.
void keepTransfer(const IsoTransferSlot& slot) {
    IsoTransferContext& stream = *slot.Context;
    const ULONG packets = stream.PacketsPerTransfer;
    const ULONG recordBytes = packets * kPacketRecordSize;
    const ULONG dataBytes = packets * stream.PacketSize;
    if (ringFreeSpace(*stream.PacketRing) < recordBytes ||
        ringFreeSpace(*stream.DataRing) < dataBytes) {
        return;
    }
    const auto* records =
        reinterpret_cast<const UCHAR*>(slot.Urb->UrbIsochronousTransfer.IsoPacket);
    ringWrite(*stream.PacketRing, std::span(records, recordBytes));
    ringWrite(*stream.DataRing, std::span(stream.Data + static_cast<std::size_t>(slot.FirstPacket) *
                                                            stream.PacketSize,
                                          dataBytes));
}

NTSTATUS streamCompleted(DEVICE_OBJECT*, IRP* irp, PVOID slotContext) {
    auto& slot = *static_cast<IsoTransferSlot*>(slotContext);
    IsoTransferContext* stream = slot.Context;
    DeviceContext& device = *contextOf(stream->Device);
    settleUnreachedPackets(slot);
    keepTransfer(slot);
    if (!NT_SUCCESS(irp->IoStatus.Status) || flagSet(device.StopStream) ||
        flagSet(device.Removing)) {
        releaseSlot(slot);
        if (InterlockedDecrement(&stream->ActiveTransfers) == 0) {
            windDown(stream);
        }
        return STATUS_MORE_PROCESSING_REQUIRED;
    }
    buildSlotTransfer(slot, streamCompleted);
    sendSlot(slot);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

bool fitsIn32Bits(std::uint64_t value) {
    return value <= std::numeric_limits<ULONG>::max();
}

// The staging buffer and the two rings; false when an allocation fails.
bool allocateStreamBuffers(IsoTransferContext& stream, ULONG ringPackets) {
    stream.Data = static_cast<UCHAR*>(allocateZeroed(stream.DataLength));
    if (stream.Data == nullptr) {
        return false;
    }
    stream.DataRing = createByteRing(ringPackets * stream.PacketSize);
    stream.PacketRing =
        stream.DataRing == nullptr ? nullptr : createByteRing(ringPackets * kPacketRecordSize);
    return stream.PacketRing != nullptr;
}

// Makes the stream the device's; false when another one runs.
bool install(DeviceContext& device, IsoTransferContext* stream) {
    KIRQL irql;
    KeAcquireSpinLock(&device.StreamLock, &irql);
    const bool free = device.Stream == nullptr;
    if (free) {
        device.Stream = stream;
        device.StreamData = stream->DataRing;
        device.StreamPackets = stream->PacketRing;
    }
    KeReleaseSpinLock(&device.StreamLock, irql);
    return free;
}

}  // namespace

IoctlResult startStream(DEVICE_OBJECT* device, const IoctlRequest& request) {
    ZOUSB_ISO_TRANSFER record{};
    USBD_PIPE_INFORMATION pipe{};
    if (const NTSTATUS refused = checkIsoRequest(device, request, record, pipe);
        !NT_SUCCESS(refused)) {
        return {refused, 0};
    }
    const std::uint64_t staging = static_cast<std::uint64_t>(record.transfers) *
                                  record.packetsPerTransfer * record.packetSize;
    if (!fitsIn32Bits(staging) ||
        !fitsIn32Bits(static_cast<std::uint64_t>(record.packetCount) * record.packetSize) ||
        !fitsIn32Bits(static_cast<std::uint64_t>(record.packetCount) * kPacketRecordSize)) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    DeviceContext& context = *contextOf(device);
    // One stream per device: a second start waits until the first has wound down.
    if (IsoTransferContext* running = referenceStream(context); running != nullptr) {
        dropReference(running);
        return {STATUS_DEVICE_BUSY, 0};
    }
    IsoTransferContext* stream = allocateIsoContext(device, record, pipe);
    if (stream == nullptr) {
        return {STATUS_NO_MEMORY, 0};
    }
    stream->DataLength = static_cast<ULONG>(staging);
    if (!allocateStreamBuffers(*stream, record.packetCount) ||
        !NT_SUCCESS(allocateSlots(*stream))) {
        freeStream(stream);
        return {STATUS_NO_MEMORY, 0};
    }
    stream->ActiveTransfers = static_cast<LONG>(stream->TransferCount);
    stream->References = 1;
    if (!install(context, stream)) {
        for (ULONG index = 0; index < stream->TransferCount; ++index) {
            releaseSlot(stream->Slots[index]);
        }
        freeStream(stream);
        return {STATUS_DEVICE_BUSY, 0};
    }
    // Counted in until its last slot has wound down.
    InterlockedIncrement(&context.IoCount);
    std::atomic_ref<BOOLEAN>(context.StopStream).store(FALSE);
    const ULONG slots = stream->TransferCount;
    for (ULONG index = 0; index < slots; ++index) {
        buildSlotTransfer(stream->Slots[index], streamCompleted);
    }
    // Once the last slot is on its way the stream may wind down and go at any moment.
    for (ULONG index = 0; index < slots; ++index) {
        sendSlot(stream->Slots[index]);
    }
    return {STATUS_SUCCESS, 0};
}

IoctlResult readStream(DEVICE_OBJECT* device, const IoctlRequest& request) {
    ZOUSB_ISO_TRANSFER record{};
    if (request.inputLength != sizeof record || request.systemBuffer == nullptr) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    std::memcpy(&record, request.systemBuffer, sizeof record);
    const std::uint64_t expected =
        static_cast<std::uint64_t>(record.packetCount) * (record.packetSize + kPacketRecordSize);
    // A packet size of 0 could not tell how many records go with the data.
    if (request.outputLength != expected || record.packetSize == 0) {
        return {STATUS_INVALID_PARAMETER, 0};
    }
    IsoTransferContext* stream = referenceStream(*contextOf(device));
    if (stream == nullptr) {
        return {STATUS_UNSUCCESSFUL, 0};
    }
    // Records read with another packet size would be paired with the wrong data.
    if (record.packetSize != stream->PacketSize) {
        dropReference(stream);
        return {STATUS_INVALID_PARAMETER, 0};
    }
    ULONG dataBytes = 0;
    ULONG recordBytes = 0;
    if (request.outputLength != 0 && request.outputMdl != nullptr) {
        auto* output = static_cast<UCHAR*>(
            MmGetSystemAddressForMdlSafe(request.outputMdl, NormalPagePriority));
        if (output == nullptr) {
            dropReference(stream);
            return {STATUS_INSUFFICIENT_RESOURCES, 0};
        }
        const std::span<UCHAR> buffer(output, request.outputLength);
        dataBytes = ringRead(
            *stream->DataRing,
            buffer.first(static_cast<std::size_t>(record.packetCount) * record.packetSize));
        const ULONG packets = dataBytes / record.packetSize;
        recordBytes =
            ringRead(*stream->PacketRing, buffer.subspan(dataBytes, packets * kPacketRecordSize));
    }
    dropReference(stream);
    return {STATUS_SUCCESS, dataBytes + recordBytes};
}

IoctlResult stopStream(DEVICE_OBJECT* device, const IoctlRequest&) {
    std::atomic_ref<BOOLEAN>(contextOf(device)->StopStream).store(TRUE);
    return {STATUS_SUCCESS, 0};
}

// The parts of an isochronous transfer that one-shot transfers and streams share.

#include "driver/iso_transfer.h"

#include <cstring>

namespace {

// A slot's URB: the isochronous request with one descriptor more than it carries packets, as the
// USB stack sizes it. Its length is a 16-bit field.
constexpr std::uint64_t kIsoUrbBase = sizeof(_URB_ISOCH_TRANSFER);
constexpr std::uint64_t urbLength(std::uint64_t packets) {
    return kIsoUrbBase + sizeof(USBD_ISO_PACKET_DESCRIPTOR) * packets;
}
constexpr ULONG kIsoTransferFlags = USBD_START_ISO_TRANSFER_ASAP | USBD_SHORT_TRANSFER_OK;

}  // namespace

NTSTATUS checkIsoRequest(DEVICE_OBJECT* device, const IoctlRequest& request,
                         ZOUSB_ISO_TRANSFER& record, USBD_PIPE_INFORMATION& pipe) {
    // The pipe index leads the record, so the pipe tests read it as any pipe request does.
    if (const NTSTATUS refused = pipeOf(device, request, pipe); !NT_SUCCESS(refused)) {
        return refused;
    }
    if (request.inputLength < sizeof record) {
        return STATUS_INVALID_PARAMETER;
    }
    std::memcpy(&record, request.systemBuffer, sizeof record);
    if (pipe.PipeType != UsbdPipeTypeIsochronous) {
        return STATUS_INVALID_PARAMETER;
    }
    if (pipe.PipeHandle == nullptr) {
        return STATUS_UNSUCCESSFUL;
    }
    if (record.packetSize == 0 || record.packetsPerTransfer == 0 || record.transfers == 0 ||
        urbLength(record.packetsPerTransfer) > 0xFFFF) {
        return STATUS_INVALID_PARAMETER;
    }
    return STATUS_SUCCESS;
}

IsoTransferContext* allocateIsoContext(DEVICE_OBJECT* device, const ZOUSB_ISO_TRANSFER& record,
                                       const USBD_PIPE_INFORMATION& pipe) {
    auto* context = static_cast<IsoTransferContext*>(allocateZeroed(sizeof(IsoTransferContext)));
    if (context == nullptr) {
        return nullptr;
    }
    context->Slots =
        static_cast<IsoTransferSlot*>(allocateZeroed(sizeof(IsoTransferSlot) * record.transfers));
    if (context->Slots == nullptr) {
        ExFreePool(context);
        return nullptr;
    }
    context->Device = device;
    context->PacketSize = record.packetSize;
    context->Pipe = pipe;
    context->PacketsPerTransfer = record.packetsPerTransfer;
    context->TransferCount = record.transfers;
    for (ULONG index = 0; index < record.transfers; ++index) {
        IsoTransferSlot& slot = context->Slots[index];
        slot.Context = context;
        slot.FirstPacket = index * record.packetsPerTransfer;
        KeInitializeEvent(&slot.Done, NotificationEvent, FALSE);
    }
    return context;
}

void freeIsoContext(IsoTransferContext* context) {
    ExFreePool(context->Slots);
    ExFreePool(context);
}

NTSTATUS allocateSlots(IsoTransferContext& context) {
    DEVICE_OBJECT* lower = contextOf(context.Device)->LowerDevice;
    const auto length = static_cast<USHORT>(urbLength(context.PacketsPerTransfer));
    for (ULONG index = 0; index < context.TransferCount; ++index) {
        IsoTransferSlot& slot = context.Slots[index];
        slot.Urb = allocateUrb(length, URB_FUNCTION_ISOCH_TRANSFER);
        slot.Irp = slot.Urb == nullptr
                       ? nullptr
                       : IoAllocateIrp(static_cast<CCHAR>(lower->StackSize + 1), FALSE);
        if (slot.Irp == nullptr) {
            for (ULONG allocated = 0; allocated <= index; ++allocated) {
                releaseSlot(context.Slots[allocated]);
            }
            return STATUS_NO_MEMORY;
        }
    }
    return STATUS_SUCCESS;
}

void releaseSlot(IsoTransferSlot& slot) {
    if (slot.Irp != nullptr) {
        IoFreeIrp(slot.Irp);
        slot.Irp = nullptr;
    }
    if (slot.Urb != nullptr) {
        ExFreePool(slot.Urb);
        slot.Urb = nullptr;
    }
}

void buildSlotTransfer(IsoTransferSlot& slot, PIO_COMPLETION_ROUTINE completion) {
    const IsoTransferContext& context = *slot.Context;
    const ULONG packets = context.PacketsPerTransfer;
    const auto length = static_cast<USHORT>(urbLength(packets));
    std::memset(slot.Urb, 0, length);
    auto& transfer = slot.Urb->UrbIsochronousTransfer;
    transfer.Hdr.Length = length;
    transfer.Hdr.Function = URB_FUNCTION_ISOCH_TRANSFER;
    transfer.PipeHandle = context.Pipe.PipeHandle;
    transfer.TransferFlags =
        kIsoTransferFlags |
        ((context.Pipe.EndpointAddress & 0x80) != 0 ? USBD_TRANSFER_DIRECTION_IN : 0);
    transfer.TransferBufferLength = packets * context.PacketSize;
    transfer.TransferBuffer =
        context.Data + static_cast<std::size_t>(slot.FirstPacket) * context.PacketSize;
    transfer.NumberOfPackets = packets;
    for (ULONG packet = 0; packet < packets; ++packet) {
        transfer.IsoPacket[packet].Offset = packet * context.PacketSize;
        transfer.IsoPacket[packet].Length = context.PacketSize;
        transfer.IsoPacket[packet].Status = USBD_STATUS_PENDING;  // until the bus reaches it
    }

    const CCHAR stackSize = slot.Irp->StackCount;
    IoInitializeIrp(slot.Irp, IoSizeOfIrp(stackSize), stackSize);
    IO_STACK_LOCATION* next = IoGetNextIrpStackLocation(slot.Irp);
    next->MajorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
    next->Parameters.DeviceIoControl.IoControlCode = IOCTL_INTERNAL_USB_SUBMIT_URB;
    next->Parameters.Others.Argument1 = slot.Urb;
    IoSetCompletionRoutine(slot.Irp, completion, &slot, TRUE, TRUE, TRUE);
}

void settleUnreachedPackets(IsoTransferSlot& slot) {
    auto& transfer = slot.Urb->UrbIsochronousTransfer;
    for (ULONG packet = 0; packet < transfer.NumberOfPackets; ++packet) {
        if (transfer.IsoPacket[packet].Status == USBD_STATUS_PENDING) {
            transfer.IsoPacket[packet].Status = transfer.Hdr.Status;
            transfer.IsoPacket[packet].Length = 0;
        }
    }
}

void sendSlot(IsoTransferSlot& slot) {
    IoCallDriver(contextOf(slot.Context->Device)->LowerDevice, slot.Irp);
}

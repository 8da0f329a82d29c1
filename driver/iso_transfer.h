#pragma once
// What the one-shot isochronous transfers and the streams share: the context of a transfer or
// stream, its slots (each one URB and one request of the driver's own, kept in flight together),
// the tests of a request, and the building and sending of a slot's transfer.

#include "driver/byte_ring.h"
#include "driver/ioctl_handlers.h"
#include "driver/zousb_ioctl.h"

struct IsoTransferContext;

struct IsoTransferSlot {
    ULONG FirstPacket;  // the first packet the slot's current USB transfer carries
    IsoTransferContext* Context;
    URB* Urb;
    IRP* Irp;
    KEVENT Done;  // one-shot: the slot has finished
};

struct IsoTransferContext {
    DEVICE_OBJECT* Device;
    ULONG PacketSize;
    ULONG PacketCount;  // one-shot: packets of the whole transfer
    // A copy of the pipe's record: an interface selection may replace the interface record while
    // the transfers run.
    USBD_PIPE_INFORMATION Pipe;
    UCHAR* Data;  // one-shot: the caller's buffer; stream: the staging buffer
    ULONG DataLength;
    UCHAR* Records;  // one-shot: where the packet records go, behind the data
    ULONG PacketsPerTransfer;
    ULONG TransferCount;     // slots
    LONG ActiveTransfers;    // stream: slots not yet wound down
    ByteRing* DataRing;      // stream
    ByteRing* PacketRing;    // stream
    IsoTransferSlot* Slots;  // TransferCount of them
    // Stream: one reference for its slots, dropped at the end of the wind-down, and one for each
    // stream read in progress. The last one releases the stream.
    LONG References;
};

inline constexpr ULONG kPacketRecordSize = sizeof(ZOUSB_PACKET_RECORD);
static_assert(sizeof(ZOUSB_PACKET_RECORD) == sizeof(USBD_ISO_PACKET_DESCRIPTOR),
              "the packet records are the USB stack's descriptors, handed back unchanged");

// The tests every one-shot transfer and stream start makes, in this order: no interface selected
// (STATUS_UNSUCCESSFUL), the record missing, pipe index out of range or not an isochronous pipe
// (STATUS_INVALID_PARAMETER), a null pipe handle (STATUS_UNSUCCESSFUL); then sizes no transfer
// can have (STATUS_INVALID_PARAMETER): no packet size, packets per transfer or transfers, and a
// URB too large for its 16-bit length.
NTSTATUS checkIsoRequest(DEVICE_OBJECT* device, const IoctlRequest& request,
                         ZOUSB_ISO_TRANSFER& record, USBD_PIPE_INFORMATION& pipe);

// A zero-filled context with its slot array for the request; null when the pool is exhausted.
IsoTransferContext* allocateIsoContext(DEVICE_OBJECT* device, const ZOUSB_ISO_TRANSFER& record,
                                       const USBD_PIPE_INFORMATION& pipe);
// Releases the slot array and the context (what a slot or a stream holds besides is released by
// its owner first).
void freeIsoContext(IsoTransferContext* context);

// Allocates every slot's URB and request, slot i carrying packets from i x packetsPerTransfer on.
// STATUS_NO_MEMORY, with every slot released again, when one allocation fails.
NTSTATUS allocateSlots(IsoTransferContext& context);
void releaseSlot(IsoTransferSlot& slot);

// Builds the slot's URB from scratch for the packets from FirstPacket on and makes its request
// fresh, with `completion` to run on success, error and cancel.
void buildSlotTransfer(IsoTransferSlot& slot, PIO_COMPLETION_ROUTINE completion);
void sendSlot(IsoTransferSlot& slot);
// A finished transfer's packets that the bus never reached (the transfer was refused as a whole,
// the device being gone for example) still say USBD_STATUS_PENDING: each takes the transfer's
// status and no length, so that a packet that never ran cannot read as a success.
void settleUnreachedPackets(IsoTransferSlot& slot);

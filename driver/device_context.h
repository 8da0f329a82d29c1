#pragma once
// The per-hub record of zousbdrv, kept in the extension of its device object.

#include <usb_api.h>

struct ByteRing;
struct IsoTransferContext;

struct DeviceContext {
    DEVICE_OBJECT* LowerDevice;  // every request the driver sends goes here
    // TRUE once a start request succeeded. Opens read it while plug and play starts the hub, so
    // it is written and read only through the interlocked functions.
    LONG Started;
    BOOLEAN LinkRegistered;  // the symbolic link exists and removal deletes it
    // Of the selected configuration; a restart replaces it while interface selections read it,
    // so the interlocked functions again.
    USBD_CONFIGURATION_HANDLE ConfigurationHandle;
    USB_DEVICE_DESCRIPTOR* DeviceDescriptor;  // pool copy read at start; null before
    USBD_INTERFACE_INFORMATION* Interface;    // pool copy of the selected interface; null before
    WCHAR LinkName[20];                       // "\DosDevices\Zousb-n" and its terminating zero
    LONG LastUsbStatus;                       // the latest URB status that was an error
    LONG IoCount;        // requests in progress plus one for the device's own existence
    KEVENT RemoveEvent;  // signalled when IoCount reaches 0
    BOOLEAN Removing;
    BOOLEAN StopStream;       // asks a running stream to wind down
    ByteRing* StreamData;     // the running stream's data ring; null when none runs
    ByteRing* StreamPackets;  // its ring of packet records
    // The running stream itself, null when none runs. It and the two rings change together under
    // StreamLock, where a stream read also takes its reference, so that a read never touches rings
    // the stream's wind-down is releasing.
    IsoTransferContext* Stream;
    KSPIN_LOCK StreamLock;
    // Guards the Interface pointer: selecting an interface replaces and frees the record while
    // other requests of the device may be reading it.
    KSPIN_LOCK InterfaceLock;
};

inline DeviceContext* contextOf(DEVICE_OBJECT* device) {
    return static_cast<DeviceContext*>(device->DeviceExtension);
}

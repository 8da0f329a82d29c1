#pragma once
// The plug and play manager: builds a device stack for each plugged-in hub (the bus driver's
// physical device object, the function driver's device above it) and sends it the plug and play
// and power requests, one at a time, as Windows does.

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "kernel/irp.h"
#include "kernel/usb_device.h"

namespace zo::kernel {

class Machine;

class PnpManager {
  public:
    explicit PnpManager(Machine& machine) : machine_(machine) {}

    struct Plugged {
        int port;
        NTSTATUS added;
        NTSTATUS started;  // not tried when adding failed
    };
    // A device is plugged in: its port, the function driver's add-device routine, the start.
    Plugged plugIn(std::shared_ptr<usb::UsbDevice> device);
    // The device is pulled out: the surprise removal of its stack at once, and no new handle to
    // it; the removal, after which the port goes, once the last handle to the stack has closed
    // (at once when none is open). Again for a port already pulled out: nothing more.
    void unplug(int port);
    // Delivers the removal of every unplugged stack whose last handle has closed.
    void deliverRemovalsAwaitingCloses();
    // The machine goes: every device is pulled out and removed, handles open or not.
    void shutDown();

    // The single requests, for tests that walk the states themselves.
    NTSTATUS addDevice(int port);
    NTSTATUS start(int port);
    // Asks with a query-stop first; a stack that refuses gets a cancel-stop and keeps running.
    NTSTATUS stop(int port);
    // An orderly removal (the user ejects the device): query-remove, then removal, or a
    // cancel-remove when the stack refuses (its status) or handles to it are open
    // (STATUS_DEVICE_BUSY). No handle can be opened meanwhile. The port stays on the bus.
    NTSTATUS removeOrderly(int port);
    NTSTATUS surpriseRemove(int port);
    NTSTATUS remove(int port);
    NTSTATUS queryCapabilities(int port, DEVICE_CAPABILITIES& capabilities);
    NTSTATUS setPower(int port, ULONG type, ULONG state);

  private:
    DEVICE_OBJECT* physicalDevice(int port);
    void deliverRemovals(bool evenWithHandlesOpen);
    // Sets or clears an extension flag (DOE_*) on every device of the port's stack.
    void markStack(DEVICE_OBJECT* pdo, ULONG flag, bool set);
    LONG openHandles(DEVICE_OBJECT* pdo);
    NTSTATUS sendPnp(int port, UCHAR minor, DEVICE_CAPABILITIES* capabilities);
    // Builds a request for the top of the port's stack, lets `fill` describe it, sends it and
    // waits for its completion.
    NTSTATUS send(int port, NTSTATUS initialStatus,
                  const std::function<void(IO_STACK_LOCATION&)>& fill);

    Machine& machine_;
    std::recursive_mutex serial_;      // plug and play requests never overlap
    std::vector<int> awaitingCloses_;  // ports unplugged, their removal waiting for handles
};

}  // namespace zo::kernel

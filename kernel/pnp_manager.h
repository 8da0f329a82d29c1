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
    // The device is pulled out: surprise removal and removal of its stack, then the port goes.
    void unplug(int port);

    // The single requests, for tests that walk the states themselves.
    NTSTATUS addDevice(int port);
    NTSTATUS start(int port);
    NTSTATUS stop(int port);
    NTSTATUS surpriseRemove(int port);
    NTSTATUS remove(int port);
    NTSTATUS queryCapabilities(int port, DEVICE_CAPABILITIES& capabilities);
    NTSTATUS setPower(int port, ULONG type, ULONG state);

  private:
    DEVICE_OBJECT* physicalDevice(int port);
    NTSTATUS sendPnp(int port, UCHAR minor, DEVICE_CAPABILITIES* capabilities);
    // Builds a request for the top of the port's stack, lets `fill` describe it, sends it and
    // waits for its completion.
    NTSTATUS send(int port, NTSTATUS initialStatus,
                  const std::function<void(IO_STACK_LOCATION&)>& fill);

    Machine& machine_;
    std::recursive_mutex serial_;  // plug and play requests never overlap
};

}  // namespace zo::kernel

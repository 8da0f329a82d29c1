#pragma once
// The port of the USB bus whose device a user-mode name ("\\.\ZOUSB-0") leads to: the physical
// device object at the bottom of the named device's stack.

#include <string_view>

#include "kernel/usb_port.h"

namespace zo::kernel {

class Machine;

// Null when the name leads nowhere or to a device that is not on the bus. The caller keeps the
// bus from changing meanwhile (no plugging in or out).
UsbPort* portBehind(Machine& machine, std::string_view userPath);

}  // namespace zo::kernel

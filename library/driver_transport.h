#pragma once
// The bottom of the library: the device object of a slot ("\\.\ZOUSB-n") and synchronous
// I/O-control calls on it. Every call records its outcome as the context's hardware error.

#include <cstdint>
#include <span>
#include <string>

#include "library/device_context.h"

namespace zo::quinteldrv {

std::string deviceObjectPath(std::uint32_t slot);

// Opens the slot's device object into the context: hardware error 1 on failure, else 0.
bool openDeviceObject(QnDeviceContext& context, std::uint32_t slot);
void closeDeviceObject(QnDeviceContext& context);

// One I/O-control call that succeeds only when the driver succeeds and fills the whole output
// buffer: hardware error 2 otherwise, else 0. Fails at once (error 2) without a device object.
bool exactIoControl(QnDeviceContext& context, std::uint32_t code,
                    std::span<const std::uint8_t> input, std::span<std::uint8_t> output);

// One I/O-control call whose outcome leaves the hardware error alone; true when the driver
// succeeded, whatever number of bytes it returned.
bool quietIoControl(QnDeviceContext& context, std::uint32_t code,
                    std::span<const std::uint8_t> input, std::span<std::uint8_t> output);

}  // namespace zo::quinteldrv

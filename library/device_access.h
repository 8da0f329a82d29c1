#pragma once
// The access semaphore that serialises a device's multi-request sequences (program upload,
// output switching, measurement run control) between threads and between processes.
// "ZoDevAccessFlag_%03d" after the slot, initial and maximum count 1.

#include <chrono>
#include <cstdint>
#include <string>

#include "library/device_context.h"

namespace zo::quinteldrv {

inline constexpr std::chrono::milliseconds kAccessWaitLimit{10000};

std::string accessSemaphoreName(std::uint32_t slot);

// Creates or attaches to the slot's semaphore; the context holds none when the system refuses it,
// and its sequences then run unserialised, as they do after a wait that timed out.
void attachAccessSemaphore(QnDeviceContext& context);
void detachAccessSemaphore(QnDeviceContext& context);

// Holds the device's access for one sequence. Waits at most kAccessWaitLimit and then goes ahead
// without it. Gives back only what it obtained, so a count never rises above 1.
class DeviceAccess {
  public:
    explicit DeviceAccess(QnDeviceContext& context);
    ~DeviceAccess();
    DeviceAccess(const DeviceAccess&) = delete;
    DeviceAccess& operator=(const DeviceAccess&) = delete;

  private:
    platform::NamedSemaphore* held_ = nullptr;
};

}  // namespace zo::quinteldrv

#pragma once
// The access lock that serialises a device's multi-request sequences (program upload, output
// switching, measurement run control) between threads and between processes:
// "ZoDevAccessFlag_%03d" after the slot.

#include <chrono>
#include <cstdint>
#include <string>

#include "library/device_context.h"

namespace zo::quinteldrv {

inline constexpr std::chrono::milliseconds kAccessWaitLimit{10000};

std::string accessLockName(std::uint32_t slot);

// Opens the slot's lock; the context holds none when the system refuses it, and its sequences
// then run unserialised, as they do after a wait that timed out.
void attachAccessLock(QnDeviceContext& context);
void detachAccessLock(QnDeviceContext& context);

// Holds the device's access for one sequence. Waits at most kAccessWaitLimit and then goes ahead
// without it. Gives back only what it obtained.
class DeviceAccess {
  public:
    explicit DeviceAccess(QnDeviceContext& context);
    ~DeviceAccess();
    DeviceAccess(const DeviceAccess&) = delete;
    DeviceAccess& operator=(const DeviceAccess&) = delete;

  private:
    platform::NamedLock* held_ = nullptr;
};

}  // namespace zo::quinteldrv

#pragma once
// The open handle behind a DeviceFile: one of this process's own simulated machine, or one that
// the service of the shared machine keeps for this process. Destroying it closes it.

#include <cstdint>
#include <span>

namespace zo::platform {

// A kernel status value, as NTSTATUS: 0 success, bit 31 set for errors.
using KernelStatus = std::int32_t;

struct IoControlResult {
    KernelStatus status = 0;
    std::uint32_t bytesReturned = 0;
    bool succeeded() const { return status >= 0; }
};

class DeviceHandle {
  public:
    virtual ~DeviceHandle() = default;

    virtual IoControlResult control(std::uint32_t code, std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output) = 0;
};

}  // namespace zo::platform

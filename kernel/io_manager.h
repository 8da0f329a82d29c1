#pragma once
// The I/O manager's user-mode side: opening "\\.\NAME", I/O control with the buffered and direct
// transfer methods, and closing, each turned into a request to the device's stack.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "kernel/irp.h"

namespace zo::kernel {

class Machine;

// An open handle's kernel side.
struct OpenFile {
    std::shared_ptr<DEVICE_OBJECT> device;
    FILE_OBJECT file{};
    bool from32BitProcess = false;
    bool referenced = true;  // counted in the device's ReferenceCount until closed
};

struct IoResult {
    NTSTATUS status;
    ULONG_PTR information;  // bytes returned
};

class IoManager {
  public:
    explicit IoManager(Machine& machine) : machine_(machine) {}

    // The device "\\.\NAME" leads to (the link \DosDevices\NAME); null with the reason in
    // `status` when there is none.
    std::shared_ptr<DEVICE_OBJECT> resolve(std::string_view path, NTSTATUS& status) const;
    // Opens "\\.\NAME"; the device's create handler decides. A device still being added (its
    // DO_DEVICE_INITIALIZING set) or being removed cannot be opened: STATUS_NO_SUCH_DEVICE.
    NTSTATUS open(std::string_view path, bool from32BitProcess, std::shared_ptr<OpenFile>& file);
    IoResult deviceControl(OpenFile& file, ULONG code, std::span<const std::uint8_t> input,
                           std::span<std::uint8_t> output);
    // Closes the handle; the last one of an unplugged device lets its removal go ahead.
    NTSTATUS close(OpenFile& file);

  private:
    static bool openable(const DEVICE_OBJECT& device);
    void release(OpenFile& file);
    IRP* newRequest(OpenFile& file, UCHAR major, DEVICE_OBJECT* top);

    Machine& machine_;
};

}  // namespace zo::kernel

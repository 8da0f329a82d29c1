#include "kernel/io_manager.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "kernel/machine.h"

namespace zo::kernel {

namespace {

constexpr std::string_view kUserPrefix = "\\\\.\\";
constexpr std::string_view kDosDevices = "\\DosDevices\\";

// The system buffer of one I/O-control request: zero-filled, with the input copied in. Nearly
// every request's buffers are small, so they live in the caller's frame; larger ones on the heap.
class SystemBuffer {
  public:
    SystemBuffer(std::size_t size, std::span<const std::uint8_t> input) {
        if (size > inline_.size()) {
            heap_.resize(size);
            bytes_ = heap_;
        } else {
            bytes_ = std::span(inline_).first(size);
            std::fill(bytes_.begin(), bytes_.end(), std::uint8_t{0});
        }
        std::copy(input.begin(), input.end(), bytes_.begin());
    }
    SystemBuffer(const SystemBuffer&) = delete;
    SystemBuffer& operator=(const SystemBuffer&) = delete;

    std::span<std::uint8_t> bytes() const { return bytes_; }

  private:
    std::array<std::uint8_t, 512> inline_;
    std::vector<std::uint8_t> heap_;
    std::span<std::uint8_t> bytes_;
};

}  // namespace

std::shared_ptr<DEVICE_OBJECT> IoManager::resolve(std::string_view path, NTSTATUS& status) const {
    if (!path.starts_with(kUserPrefix) || path.size() == kUserPrefix.size()) {
        status = STATUS_OBJECT_NAME_INVALID;
        return nullptr;
    }
    const std::string link =
        std::string(kDosDevices) + std::string(path.substr(kUserPrefix.size()));
    auto device = machine_.objects().resolve(link);
    status = device ? STATUS_SUCCESS : STATUS_OBJECT_NAME_NOT_FOUND;
    return device;
}

NTSTATUS IoManager::open(std::string_view path, bool from32BitProcess,
                         std::shared_ptr<OpenFile>& file) {
    file.reset();
    NTSTATUS resolved = STATUS_SUCCESS;
    auto device = resolve(path, resolved);
    if (!device) {
        return resolved;
    }
    auto opened = std::make_shared<OpenFile>();
    opened->device = std::move(device);
    opened->file.DeviceObject = opened->device.get();
    opened->from32BitProcess = from32BitProcess;
    DEVICE_OBJECT* top = nullptr;
    IRP* irp = nullptr;
    {
        // The stack the open enters, and the device's count of handles, as one step against
        // attaching and removal: an open never reaches a stack still being built or going away.
        const auto lock = machine_.objects().lockDatabase(machine_.hooks().openWaitsForDatabase);
        top = IoGetAttachedDevice(opened->device.get());
        if (!openable(*opened->device) || !openable(*top)) {
            return STATUS_NO_SUCH_DEVICE;
        }
        ++opened->device->ReferenceCount;
        irp = newRequest(*opened, IRP_MJ_CREATE, top);
    }
    const NTSTATUS status = sendAndWait(top, irp).Status;
    IoFreeIrp(irp);
    if (!NT_SUCCESS(status)) {
        release(*opened);
        return status;
    }
    file = std::move(opened);
    return status;
}

IoResult IoManager::deviceControl(OpenFile& file, ULONG code, std::span<const std::uint8_t> input,
                                  std::span<std::uint8_t> output) {
    if (file.device->deleted) {
        return {STATUS_NO_SUCH_DEVICE, 0};
    }
    const ULONG method = METHOD_FROM_CTL_CODE(code);
    // The system buffer: the input copied for every method, and room for the output of a
    // buffered request, which is copied back to the caller afterwards.
    const std::size_t systemSize =
        method == METHOD_BUFFERED ? std::max(input.size(), output.size()) : input.size();
    const SystemBuffer system(systemSize, input);
    MDL mdl{nullptr, output.data(), static_cast<ULONG>(output.size())};

    IRP* irp = newRequest(file, IRP_MJ_DEVICE_CONTROL, IoGetAttachedDevice(file.device.get()));
    irp->AssociatedIrp.SystemBuffer = system.bytes().empty() ? nullptr : system.bytes().data();
    if (method == METHOD_IN_DIRECT || method == METHOD_OUT_DIRECT) {
        irp->MdlAddress = output.empty() ? nullptr : &mdl;
    } else if (method == METHOD_NEITHER) {
        irp->UserBuffer = output.data();
    }
    IO_STACK_LOCATION* location = IoGetNextIrpStackLocation(irp);
    location->Parameters.DeviceIoControl.IoControlCode = code;
    location->Parameters.DeviceIoControl.InputBufferLength = static_cast<ULONG>(input.size());
    location->Parameters.DeviceIoControl.OutputBufferLength = static_cast<ULONG>(output.size());
    location->Parameters.DeviceIoControl.Type3InputBuffer = const_cast<std::uint8_t*>(input.data());

    const IO_STATUS_BLOCK result = sendAndWait(IoGetAttachedDevice(file.device.get()), irp);
    IoFreeIrp(irp);
    ULONG_PTR information = result.Information;
    if (method == METHOD_BUFFERED && NT_SUCCESS(result.Status)) {
        // A driver may not claim more bytes than the caller's buffer holds.
        information = std::min<ULONG_PTR>(information, output.size());
        std::copy_n(system.bytes().begin(), information, output.begin());
    }
    return {result.Status, information};
}

NTSTATUS IoManager::close(OpenFile& file) {
    if (file.device->deleted || !file.referenced) {
        return STATUS_SUCCESS;
    }
    DEVICE_OBJECT* top = IoGetAttachedDevice(file.device.get());
    IRP* irp = newRequest(file, IRP_MJ_CLOSE, top);
    const NTSTATUS status = sendAndWait(top, irp).Status;
    IoFreeIrp(irp);
    release(file);
    return status;
}

bool IoManager::openable(const DEVICE_OBJECT& device) {
    return !goingAway(device) && (device.Flags & DO_DEVICE_INITIALIZING) == 0;
}

void IoManager::release(OpenFile& file) {
    bool removing = false;
    {
        const auto lock = machine_.objects().lockDatabase();
        --file.device->ReferenceCount;
        file.referenced = false;
        removing = (file.device->extensionFlags & DOE_REMOVE_PENDING) != 0;
    }
    // The last handle of an unplugged device lets its removal go ahead.
    if (removing) {
        machine_.pnp().deliverRemovalsAwaitingCloses();
    }
}

IRP* IoManager::newRequest(OpenFile& file, UCHAR major, DEVICE_OBJECT* top) {
    IRP* irp = allocateRequest(top->StackSize);
    irp->RequestorMode = UserMode;
    irp->from32BitProcess = file.from32BitProcess;
    IO_STACK_LOCATION* location = IoGetNextIrpStackLocation(irp);
    location->MajorFunction = major;
    location->FileObject = &file.file;
    return irp;
}

}  // namespace zo::kernel

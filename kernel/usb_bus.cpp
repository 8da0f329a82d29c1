#include "kernel/usb_bus.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "host/process_exit.h"
#include "kernel/machine.h"

namespace zo::kernel {

namespace {

UsbPort* portOf(DEVICE_OBJECT* pdo) {
    return *static_cast<UsbPort**>(pdo->DeviceExtension);
}

NTSTATUS completeWith(IRP* irp, NTSTATUS status) {
    irp->IoStatus.Status = status;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

NTSTATUS dispatchInternalControl(DEVICE_OBJECT* pdo, IRP* irp) {
    UsbPort& port = *portOf(pdo);
    IO_STACK_LOCATION* location = IoGetCurrentIrpStackLocation(irp);
    switch (location->Parameters.DeviceIoControl.IoControlCode) {
        case IOCTL_INTERNAL_USB_SUBMIT_URB:
            return Machine::current().bus().submit(
                port, irp, static_cast<URB*>(location->Parameters.Others.Argument1));
        case IOCTL_INTERNAL_USB_RESET_PORT:
            port.device().portReset();
            {
                // The hub driver restores the configuration after a port reset, so handles the
                // function driver holds stay valid.
                std::lock_guard lock(port.mutex());
                if (!port.configurationDescriptor.empty()) {
                    usb::SetupPacket setConfiguration{0x00, 9, port.configurationDescriptor[5], 0,
                                                      0};
                    port.control(reinterpret_cast<std::uintptr_t>(irp), setConfiguration, {});
                }
            }
            return completeWith(irp,
                                port.connected() ? STATUS_SUCCESS : STATUS_DEVICE_NOT_CONNECTED);
        default:
            return completeWith(irp, STATUS_INVALID_PARAMETER);
    }
}

NTSTATUS dispatchPnp(DEVICE_OBJECT* pdo, IRP* irp) {
    IO_STACK_LOCATION* location = IoGetCurrentIrpStackLocation(irp);
    switch (location->MinorFunction) {
        // A port can always be stopped or removed: the bus driver agrees to every query and
        // takes back its agreement when asked.
        case IRP_MN_START_DEVICE:
        case IRP_MN_QUERY_STOP_DEVICE:
        case IRP_MN_CANCEL_STOP_DEVICE:
        case IRP_MN_STOP_DEVICE:
        case IRP_MN_QUERY_REMOVE_DEVICE:
        case IRP_MN_CANCEL_REMOVE_DEVICE:
        case IRP_MN_SURPRISE_REMOVAL:
        case IRP_MN_REMOVE_DEVICE:
            return completeWith(irp, STATUS_SUCCESS);
        case IRP_MN_QUERY_CAPABILITIES: {
            DEVICE_CAPABILITIES* capabilities =
                location->Parameters.DeviceCapabilities.Capabilities;
            capabilities->Removable = 1;
            capabilities->Address = static_cast<ULONG>(portOf(pdo)->number());
            capabilities->UINumber = static_cast<ULONG>(portOf(pdo)->number());
            return completeWith(irp, STATUS_SUCCESS);
        }
        default:
            return completeWith(irp, irp->IoStatus.Status);
    }
}

NTSTATUS dispatchPower(DEVICE_OBJECT*, IRP* irp) {
    PoStartNextPowerIrp(irp);
    return completeWith(irp, STATUS_SUCCESS);
}

NTSTATUS busDriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING*) {
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = dispatchInternalControl;
    driver->MajorFunction[IRP_MJ_PNP] = dispatchPnp;
    driver->MajorFunction[IRP_MJ_POWER] = dispatchPower;
    return STATUS_SUCCESS;
}

}  // namespace

NTSTATUS statusForUsbd(USBD_STATUS status) {
    switch (status) {
        case USBD_STATUS_SUCCESS:
            return STATUS_SUCCESS;
        case USBD_STATUS_CANCELED:
            return STATUS_CANCELLED;
        case USBD_STATUS_DEVICE_GONE:
            return STATUS_DEVICE_NOT_CONNECTED;
        case USBD_STATUS_INVALID_URB_FUNCTION:
        case USBD_STATUS_INVALID_PARAMETER:
        case USBD_STATUS_INVALID_PIPE_HANDLE:
        case USBD_STATUS_BUFFER_TOO_SMALL:
            return STATUS_INVALID_PARAMETER;
        default:
            return STATUS_UNSUCCESSFUL;
    }
}

NTSTATUS completeUrb(IRP* irp, URB& urb, USBD_STATUS usbStatus) {
    const NTSTATUS status = statusForUsbd(usbStatus);
    urb.UrbHeader.Status = usbStatus;
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

UsbBus::UsbBus(BusCompletion completion, const CaptureTap& capture, std::shared_ptr<BusClock> clock)
    : completion_(completion), capture_(capture), isochronous_(std::move(clock)) {
    if (completion_ != BusCompletion::Immediate) {
        thread_ = std::thread([this] { run(); });
    }
}

UsbBus::~UsbBus() {
    if (host::otherThreadsHaveEnded()) {
        // The machine of the process goes at its exit, after Windows has stopped the bus thread
        // wherever it was, perhaps holding the mutex.
        if (thread_.joinable()) {
            thread_.detach();
        }
        return;
    }
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        held_ = false;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void UsbBus::createDriver() {
    driver_ = Machine::current().createDriver("\\Driver\\usbhub", busDriverEntry);
}

template <typename Matches>
std::list<UsbBus::Job> UsbBus::takeQueued(Matches matches) {
    std::list<Job> taken;
    std::lock_guard lock(mutex_);
    for (auto job = queue_.begin(); job != queue_.end();) {
        const auto next = std::next(job);
        if (matches(*job)) {
            taken.splice(taken.end(), queue_, job);
        }
        job = next;
    }
    return taken;
}

UsbPort& UsbBus::attach(std::shared_ptr<usb::UsbDevice> device) {
    int number = 1;
    while (port(number) != nullptr) {
        ++number;
    }
    auto& port =
        *ports_.emplace_back(std::make_unique<UsbPort>(number, std::move(device), capture_));
    const std::string name = "\\Device\\USBPDO-" + std::to_string(number);
    const std::u16string wide(name.begin(), name.end());
    UNICODE_STRING unicodeName;
    RtlInitUnicodeString(&unicodeName, wide.c_str());
    IoCreateDevice(driver_, sizeof(UsbPort*), &unicodeName, FILE_DEVICE_USB, 0, FALSE, &port.pdo);
    *static_cast<UsbPort**>(port.pdo->DeviceExtension) = &port;
    port.pdo->Flags &= ~DO_DEVICE_INITIALIZING;
    return port;
}

void UsbBus::disconnect(UsbPort& port) {
    port.disconnect();
    isochronous_.cancel(port, std::nullopt, USBD_STATUS_DEVICE_GONE);
}

void UsbBus::detach(UsbPort& port) {
    disconnect(port);
    const std::list<Job> gone = takeQueued([&](const Job& job) { return job.port == &port; });
    for (const Job& job : gone) {
        finish(job, USBD_STATUS_DEVICE_GONE);
    }
    IoDeleteDevice(port.pdo);
    std::erase_if(ports_, [&](const auto& candidate) { return candidate.get() == &port; });
}

UsbPort* UsbBus::port(int number) {
    const auto found = std::find_if(ports_.begin(), ports_.end(), [number](const auto& port) {
        return port->number() == number;
    });
    return found == ports_.end() ? nullptr : found->get();
}

std::vector<UsbPort*> UsbBus::ports() {
    std::vector<UsbPort*> result;
    for (const auto& port : ports_) {
        result.push_back(port.get());
    }
    return result;
}

NTSTATUS UsbBus::submit(UsbPort& port, IRP* irp, URB* urb) {
    if (urb->UrbHeader.Function == URB_FUNCTION_ISOCH_TRANSFER) {
        return isochronous_.submit(port, irp, *urb);
    }
    const Job job{&port, irp, urb};
    // Aborting must overtake the transfers it ends, so it never waits in the queue.
    if (urb->UrbHeader.Function == URB_FUNCTION_ABORT_PIPE || completesInCaller()) {
        return execute(job);
    }
    IoMarkIrpPending(irp);
    enqueue(job);
    return STATUS_PENDING;
}

bool UsbBus::completesInCaller() const {
    switch (completion_) {
        case BusCompletion::Immediate:
            return true;
        case BusCompletion::ImmediateWhenIdle: {
            std::lock_guard lock(mutex_);
            return !held_ && !busy_ && queue_.empty();
        }
        case BusCompletion::Deferred:
            break;
    }
    return false;
}

void UsbBus::enqueue(const Job& job) {
    {
        std::lock_guard lock(mutex_);
        if (spareJobs_.empty()) {
            queue_.push_back(job);
        } else {
            queue_.splice(queue_.end(), spareJobs_, spareJobs_.begin());
            queue_.back() = job;
        }
    }
    changed_.notify_all();
}

NTSTATUS UsbBus::execute(const Job& job) {
    return finish(job, executeUrb(*this, *job.port, *job.urb));
}

NTSTATUS UsbBus::finish(const Job& job, USBD_STATUS usbStatus) {
    return completeUrb(job.irp, *job.urb, usbStatus);
}

void UsbBus::cancelPipe(UsbPort& port, USBD_PIPE_HANDLE pipe) {
    const std::list<Job> cancelled = takeQueued([&](const Job& job) {
        return job.port == &port &&
               job.urb->UrbHeader.Function == URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER &&
               job.urb->UrbBulkOrInterruptTransfer.PipeHandle == pipe;
    });
    for (const Job& job : cancelled) {
        job.urb->UrbBulkOrInterruptTransfer.TransferBufferLength = 0;
        finish(job, USBD_STATUS_CANCELED);
    }
    isochronous_.cancel(port, pipe, USBD_STATUS_CANCELED);
}

void UsbBus::holdCompletions(bool hold) {
    {
        std::lock_guard lock(mutex_);
        held_ = hold;
    }
    changed_.notify_all();
}

std::size_t UsbBus::queued() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

bool UsbBus::waitUntilQueued(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return queue_.size() >= count; });
}

PVOID UsbBus::newHandle() {
    std::lock_guard lock(mutex_);
    nextHandle_ += 0x10;
    return reinterpret_cast<PVOID>(nextHandle_);
}

ULONG UsbBus::frameNumber() const {
    return isochronous_.frameNumber();
}

void UsbBus::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [&] { return stopping_ || (!held_ && !queue_.empty()); });
        if (queue_.empty()) {
            return;
        }
        const Job job = queue_.front();
        spareJobs_.splice(spareJobs_.end(), queue_, queue_.begin());
        const bool stop = stopping_;
        busy_ = true;
        changed_.notify_all();
        lock.unlock();
        if (stop) {
            finish(job, USBD_STATUS_CANCELED);
        } else {
            execute(job);
        }
        lock.lock();
        busy_ = false;
    }
}

}  // namespace zo::kernel

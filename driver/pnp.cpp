// Plug and play: start (descriptor reads and configuration), stop, removal and capabilities.

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "driver/driver_internal.h"

namespace {

constexpr ULONG kMaximumTransferSize = 0x200000;
constexpr ULONG kConfigurationHeaderBuffer = 25;
constexpr USHORT kDescriptorRequestLength = sizeof(_URB_CONTROL_DESCRIPTOR_REQUEST);
constexpr USHORT kUnconfigureLength = sizeof(_URB_SELECT_CONFIGURATION);
// An interface has at most 30 endpoints besides the default pipe.
constexpr ULONG kMaximumPipes = 32;

NTSTATUS passDown(DEVICE_OBJECT* device, IRP* irp) {
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(contextOf(device)->LowerDevice, irp);
}

// Reads the configuration descriptor: its header first, then the whole of it. The caller frees
// the returned buffer.
NTSTATUS readConfiguration(DEVICE_OBJECT* device, USB_CONFIGURATION_DESCRIPTOR** configuration) {
    auto* header =
        static_cast<USB_CONFIGURATION_DESCRIPTOR*>(allocateZeroed(kConfigurationHeaderBuffer));
    if (header == nullptr) {
        return STATUS_NO_MEMORY;
    }
    ULONG received = 0;
    NTSTATUS status = ReadDescriptor(device, USB_CONFIGURATION_DESCRIPTOR_TYPE, 0, 0, header,
                                     sizeof(USB_CONFIGURATION_DESCRIPTOR), &received);
    const ULONG total = header->wTotalLength;
    ExFreePool(header);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    if (received < sizeof(USB_CONFIGURATION_DESCRIPTOR) ||
        total < sizeof(USB_CONFIGURATION_DESCRIPTOR)) {
        return STATUS_UNSUCCESSFUL;
    }
    auto* whole = static_cast<USB_CONFIGURATION_DESCRIPTOR*>(allocateZeroed(total + 16));
    if (whole == nullptr) {
        return STATUS_NO_MEMORY;
    }
    status =
        ReadDescriptor(device, USB_CONFIGURATION_DESCRIPTOR_TYPE, 0, 0, whole, total, &received);
    // A descriptor that changed its length between the two reads cannot be walked safely.
    if (NT_SUCCESS(status) && (received != total || whole->wTotalLength != total)) {
        status = STATUS_UNSUCCESSFUL;
    }
    if (!NT_SUCCESS(status)) {
        ExFreePool(whole);
        return status;
    }
    *configuration = whole;
    return STATUS_SUCCESS;
}

NTSTATUS startDevice(DEVICE_OBJECT* device, IRP* irp) {
    DeviceContext* context = contextOf(device);
    NTSTATUS status = ForwardAndWait(device, irp);
    if (!NT_SUCCESS(status)) {
        return completeRequest(irp, status, 0);
    }
    context->LinkRegistered = TRUE;

    auto* descriptor =
        static_cast<USB_DEVICE_DESCRIPTOR*>(allocateZeroed(sizeof(USB_DEVICE_DESCRIPTOR)));
    if (descriptor == nullptr) {
        return completeRequest(irp, STATUS_NO_MEMORY, 0);
    }
    ULONG received = 0;
    status = ReadDescriptor(device, USB_DEVICE_DESCRIPTOR_TYPE, 0, 0, descriptor,
                            sizeof(USB_DEVICE_DESCRIPTOR), &received);
    if (context->DeviceDescriptor != nullptr) {
        ExFreePool(context->DeviceDescriptor);
        context->DeviceDescriptor = nullptr;
    }
    if (!NT_SUCCESS(status)) {
        ExFreePool(descriptor);
        return completeRequest(irp, status, 0);
    }
    context->DeviceDescriptor = descriptor;

    USB_CONFIGURATION_DESCRIPTOR* configuration = nullptr;
    status = readConfiguration(device, &configuration);
    if (NT_SUCCESS(status)) {
        status = SelectConfiguration(device, configuration);
        ExFreePool(configuration);
    }
    if (NT_SUCCESS(status)) {
        InterlockedExchange(&context->Started, TRUE);
    }
    return completeRequest(irp, status, 0);
}

NTSTATUS stopDevice(DEVICE_OBJECT* device, IRP* irp) {
    passDown(device, irp);
    // Selecting no configuration puts the hub into the unconfigured state.
    URB* urb = allocateUrb(kUnconfigureLength, URB_FUNCTION_SELECT_CONFIGURATION);
    if (urb == nullptr) {
        return STATUS_NO_MEMORY;
    }
    SubmitUrb(device, urb);
    ExFreePool(urb);
    return STATUS_SUCCESS;
}

void abortPipes(DEVICE_OBJECT* device) {
    DeviceContext* context = contextOf(device);
    // The handles are copied under the lock: an interface selection still in progress may
    // replace the record meanwhile.
    std::array<USBD_PIPE_HANDLE, kMaximumPipes> pipes{};
    ULONG count = 0;
    KIRQL irql;
    KeAcquireSpinLock(&context->InterfaceLock, &irql);
    if (context->Interface != nullptr) {
        count = std::min<ULONG>(context->Interface->NumberOfPipes, kMaximumPipes);
        for (ULONG pipe = 0; pipe < count; ++pipe) {
            pipes[pipe] = UsbdPipe(context->Interface, pipe)->PipeHandle;
        }
    }
    KeReleaseSpinLock(&context->InterfaceLock, irql);
    USBD_VERSION_INFORMATION version{};
    USBD_GetUSBDIVersion(&version);
    const USHORT length = version.USBDI_Version < 0x101 ? 36 : sizeof(_URB_PIPE_REQUEST);
    for (ULONG pipe = 0; pipe < count; ++pipe) {
        URB* urb = allocateUrb(length, URB_FUNCTION_ABORT_PIPE);
        if (urb == nullptr) {
            continue;
        }
        urb->UrbPipeRequest.PipeHandle = pipes[pipe];
        SubmitUrb(device, urb);
        ExFreePool(urb);
    }
}

void deleteLink(DeviceContext* context) {
    if (context->LinkRegistered) {
        context->LinkRegistered = FALSE;
        UNICODE_STRING link;
        RtlInitUnicodeString(&link, context->LinkName);
        IoDeleteSymbolicLink(&link);
    }
}

// The hub is gone while handles to it may still be open: no request enters from here on, the
// transfers in flight end, and the name goes. The device object stays until the removal, which
// comes once the last handle has closed.
NTSTATUS surpriseRemoval(DEVICE_OBJECT* device, IRP* irp) {
    DeviceContext* context = contextOf(device);
    std::atomic_ref<BOOLEAN>(context->Removing).store(TRUE);
    abortPipes(device);
    deleteLink(context);
    irp->IoStatus.Status = STATUS_SUCCESS;
    return passDown(device, irp);
}

NTSTATUS removeDevice(DEVICE_OBJECT* device, IRP* irp) {
    DeviceContext* context = contextOf(device);
    std::atomic_ref<BOOLEAN>(context->Removing).store(TRUE);
    abortPipes(device);
    leaveRequest(device);
    leaveRequest(device);
    KeWaitForSingleObject(&context->RemoveEvent, Executive, KernelMode, FALSE, nullptr);
    if (context->DeviceDescriptor != nullptr) {
        ExFreePool(context->DeviceDescriptor);
        context->DeviceDescriptor = nullptr;
    }
    KeepInterface(context, nullptr);
    deleteLink(context);
    DEVICE_OBJECT* lower = context->LowerDevice;
    IoDetachDevice(lower);
    IoDeleteDevice(device);
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(lower, irp);
}

NTSTATUS queryCapabilities(DEVICE_OBJECT* device, IRP* irp) {
    DEVICE_CAPABILITIES* capabilities =
        IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceCapabilities.Capabilities;
    if (capabilities->Version < 1) {
        return passDown(device, irp);
    }
    const NTSTATUS status = ForwardAndWait(device, irp);
    if (NT_SUCCESS(status)) {
        capabilities->SurpriseRemovalOK = 1;
    }
    return completeRequest(irp, status, irp->IoStatus.Information);
}

}  // namespace

NTSTATUS ReadDescriptor(DEVICE_OBJECT* device, UCHAR type, UCHAR index, USHORT language,
                        PVOID buffer, ULONG length, ULONG* received) {
    *received = 0;
    URB* urb = allocateUrb(kDescriptorRequestLength, URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE);
    if (urb == nullptr) {
        return STATUS_NO_MEMORY;
    }
    auto& request = urb->UrbControlDescriptorRequest;
    request.DescriptorType = type;
    request.Index = index;
    request.LanguageId = language;
    request.TransferBuffer = buffer;
    request.TransferBufferLength = length;
    const NTSTATUS status = SubmitUrb(device, urb);
    if (NT_SUCCESS(status)) {
        *received = request.TransferBufferLength;
    }
    ExFreePool(urb);
    return status;
}

NTSTATUS KeepInterface(DeviceContext* context, const USBD_INTERFACE_INFORMATION* source) {
    USBD_INTERFACE_INFORMATION* copy = nullptr;
    NTSTATUS status = STATUS_SUCCESS;
    if (source != nullptr) {
        copy = static_cast<USBD_INTERFACE_INFORMATION*>(allocateZeroed(source->Length));
        if (copy != nullptr) {
            std::memcpy(copy, source, source->Length);
        } else {
            status = STATUS_NO_MEMORY;
        }
    }
    KIRQL irql;
    KeAcquireSpinLock(&context->InterfaceLock, &irql);
    USBD_INTERFACE_INFORMATION* old = context->Interface;
    context->Interface = copy;
    KeReleaseSpinLock(&context->InterfaceLock, irql);
    if (old != nullptr) {
        ExFreePool(old);
    }
    return status;
}

NTSTATUS SelectConfiguration(DEVICE_OBJECT* device, USB_CONFIGURATION_DESCRIPTOR* configuration) {
    DeviceContext* context = contextOf(device);
    USB_INTERFACE_DESCRIPTOR* interface =
        USBD_ParseConfigurationDescriptorEx(configuration, configuration, -1, -1, -1, -1, -1);
    if (interface == nullptr) {
        return STATUS_UNSUCCESSFUL;
    }
    USBD_INTERFACE_LIST_ENTRY list[2] = {{interface, nullptr}, {nullptr, nullptr}};
    URB* urb = USBD_CreateConfigurationRequestEx(configuration, list);
    if (urb == nullptr) {
        return STATUS_NO_MEMORY;
    }
    USBD_INTERFACE_INFORMATION* record = list[0].Interface;
    for (ULONG pipe = 0; pipe < interface->bNumEndpoints; ++pipe) {
        UsbdPipe(record, pipe)->MaximumTransferSize = kMaximumTransferSize;
    }
    NTSTATUS status = SubmitUrb(device, urb);
    if (NT_SUCCESS(status)) {
        InterlockedExchangePointer(&context->ConfigurationHandle,
                                   urb->UrbSelectConfiguration.ConfigurationHandle);
        status = KeepInterface(context, record);
    }
    ExFreePool(urb);
    return status;
}

NTSTATUS DispatchPnp(DEVICE_OBJECT* device, IRP* irp) {
    const UCHAR minor = IoGetCurrentIrpStackLocation(irp)->MinorFunction;
    if (minor == IRP_MN_REMOVE_DEVICE) {
        // The removal enters even after a surprise removal has begun refusing requests; it does
        // its own leaving.
        InterlockedIncrement(&contextOf(device)->IoCount);
        return removeDevice(device, irp);
    }
    if (!enterRequest(device, irp)) {
        return STATUS_DELETE_PENDING;
    }
    NTSTATUS status;
    switch (minor) {
        case IRP_MN_START_DEVICE:
            status = startDevice(device, irp);
            break;
        case IRP_MN_STOP_DEVICE:
            status = stopDevice(device, irp);
            break;
        case IRP_MN_SURPRISE_REMOVAL:
            status = surpriseRemoval(device, irp);
            break;
        case IRP_MN_QUERY_CAPABILITIES:
            status = queryCapabilities(device, irp);
            break;
        default:
            status = passDown(device, irp);
            break;
    }
    leaveRequest(device);
    return status;
}

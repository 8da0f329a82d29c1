// The add-device routine: one device object per hub, named with the lowest free instance digit.

#include <array>

#include "driver/driver_internal.h"

namespace {

constexpr int kInstances = 8;

// "\Device\Zousb-0" or "\DosDevices\Zousb-0" with the last character replaced by the digit.
template <std::size_t N>
std::array<WCHAR, N> nameWithDigit(const char (&pattern)[N], WCHAR digit) {
    std::array<WCHAR, N> name{};
    for (std::size_t i = 0; i + 1 < N; ++i) {
        name[i] = static_cast<WCHAR>(pattern[i]);
    }
    name[N - 2] = digit;
    return name;
}

}  // namespace

NTSTATUS AddDevice(DRIVER_OBJECT* driver, DEVICE_OBJECT* physicalDevice) {
    NTSTATUS status = STATUS_UNSUCCESSFUL;
    DEVICE_OBJECT* device = nullptr;
    for (int instance = 0; instance < kInstances; ++instance) {
        const auto digit = static_cast<WCHAR>(u'0' + instance);
        auto deviceName = nameWithDigit("\\Device\\Zousb-0", digit);
        auto linkName = nameWithDigit("\\DosDevices\\Zousb-0", digit);
        static_assert(sizeof(linkName) == sizeof(DeviceContext::LinkName));
        UNICODE_STRING deviceString;
        UNICODE_STRING linkString;
        RtlInitUnicodeString(&deviceString, deviceName.data());
        RtlInitUnicodeString(&linkString, linkName.data());
        status = IoCreateDevice(driver, sizeof(DeviceContext), &deviceString, FILE_DEVICE_UNKNOWN,
                                0, FALSE, &device);
        if (!NT_SUCCESS(status)) {
            continue;
        }
        status = IoCreateSymbolicLink(&linkString, &deviceString);
        if (!NT_SUCCESS(status)) {
            // A device object without its link could never be opened: do not leave it behind.
            IoDeleteDevice(device);
            device = nullptr;
            continue;
        }
        std::copy(linkName.begin(), linkName.end(), contextOf(device)->LinkName);
        break;
    }
    if (device == nullptr) {
        return status;
    }
    DeviceContext* context = contextOf(device);
    // The link exists from here on, so removal deletes it even if the hub never starts.
    context->LinkRegistered = TRUE;
    device->Flags |= DO_DIRECT_IO | DO_POWER_PAGABLE;
    context->LowerDevice = IoAttachDeviceToDeviceStack(device, physicalDevice);
    if (context->LowerDevice == nullptr) {
        UNICODE_STRING linkString;
        RtlInitUnicodeString(&linkString, context->LinkName);
        IoDeleteSymbolicLink(&linkString);
        IoDeleteDevice(device);
        return STATUS_NO_SUCH_DEVICE;
    }
    context->LastUsbStatus = 0;
    context->IoCount = 1;
    KeInitializeEvent(&context->RemoveEvent, NotificationEvent, FALSE);
    KeInitializeSpinLock(&context->InterfaceLock);
    KeInitializeSpinLock(&context->StreamLock);
    // Only a whole device can be opened: the I/O manager refuses opens until this is cleared.
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return status;
}

#include "kernel/usbd.h"

#include <cstring>

#include "kernel/machine.h"
#include "kernel/pool.h"

namespace {

constexpr ULONG kUsbdTag = PoolTag("USBD");
constexpr std::size_t kSelectConfigurationHeader = 40;

}  // namespace

USBD_PIPE_INFORMATION* UsbdPipe(USBD_INTERFACE_INFORMATION* interface, ULONG index) {
    auto* bytes = reinterpret_cast<std::byte*>(interface);
    return reinterpret_cast<USBD_PIPE_INFORMATION*>(bytes + interfaceInformationSize(index));
}

USB_INTERFACE_DESCRIPTOR* USBD_ParseConfigurationDescriptorEx(
    USB_CONFIGURATION_DESCRIPTOR* configuration, PVOID start, LONG interfaceNumber,
    LONG alternateSetting, LONG interfaceClass, LONG interfaceSubClass, LONG interfaceProtocol) {
    auto* const base = reinterpret_cast<UCHAR*>(configuration);
    const std::size_t total = configuration->wTotalLength;
    std::size_t offset = static_cast<std::size_t>(static_cast<UCHAR*>(start) - base);
    const auto matches = [](LONG wanted, UCHAR actual) { return wanted == -1 || wanted == actual; };
    while (offset + 2 <= total) {
        const UCHAR length = base[offset];
        const UCHAR type = base[offset + 1];
        if (length < 2 || offset + length > total) {
            return nullptr;
        }
        if (type == USB_INTERFACE_DESCRIPTOR_TYPE && length >= sizeof(USB_INTERFACE_DESCRIPTOR)) {
            auto* candidate = reinterpret_cast<USB_INTERFACE_DESCRIPTOR*>(base + offset);
            if (matches(interfaceNumber, candidate->bInterfaceNumber) &&
                matches(alternateSetting, candidate->bAlternateSetting) &&
                matches(interfaceClass, candidate->bInterfaceClass) &&
                matches(interfaceSubClass, candidate->bInterfaceSubClass) &&
                matches(interfaceProtocol, candidate->bInterfaceProtocol)) {
                return candidate;
            }
        }
        offset += length;
    }
    return nullptr;
}

URB* USBD_CreateConfigurationRequestEx(USB_CONFIGURATION_DESCRIPTOR* configuration,
                                       USBD_INTERFACE_LIST_ENTRY* interfaceList) {
    std::size_t size = kSelectConfigurationHeader;
    for (auto* entry = interfaceList; entry->InterfaceDescriptor != nullptr; ++entry) {
        size += interfaceInformationSize(entry->InterfaceDescriptor->bNumEndpoints);
    }
    auto* urb = static_cast<URB*>(ExAllocatePoolWithTag(NonPagedPool, size, kUsbdTag));
    if (urb == nullptr) {
        return nullptr;
    }
    std::memset(urb, 0, size);
    urb->UrbHeader.Length = static_cast<USHORT>(size);
    urb->UrbHeader.Function = URB_FUNCTION_SELECT_CONFIGURATION;
    urb->UrbSelectConfiguration.ConfigurationDescriptor = configuration;
    auto* record = reinterpret_cast<std::byte*>(urb) + kSelectConfigurationHeader;
    for (auto* entry = interfaceList; entry->InterfaceDescriptor != nullptr; ++entry) {
        const ULONG pipes = entry->InterfaceDescriptor->bNumEndpoints;
        auto* interface = reinterpret_cast<USBD_INTERFACE_INFORMATION*>(record);
        interface->Length = static_cast<USHORT>(interfaceInformationSize(pipes));
        interface->InterfaceNumber = entry->InterfaceDescriptor->bInterfaceNumber;
        interface->AlternateSetting = entry->InterfaceDescriptor->bAlternateSetting;
        interface->NumberOfPipes = pipes;
        for (ULONG pipe = 0; pipe < pipes; ++pipe) {
            UsbdPipe(interface, pipe)->MaximumTransferSize = USBD_DEFAULT_MAXIMUM_TRANSFER_SIZE;
        }
        entry->Interface = interface;
        record += interface->Length;
    }
    return urb;
}

void USBD_GetUSBDIVersion(USBD_VERSION_INFORMATION* version) {
    version->USBDI_Version = zo::kernel::Machine::current().usbdiVersion();
    version->Supported_USB_Version = 0x200;
}

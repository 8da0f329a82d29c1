#pragma once
// The USBD helper routines a function driver uses to walk a configuration descriptor and to build
// a select-configuration request.

#include "kernel/usb.h"

struct USBD_INTERFACE_LIST_ENTRY {
    USB_INTERFACE_DESCRIPTOR* InterfaceDescriptor;  // null ends the list
    USBD_INTERFACE_INFORMATION* Interface;          // set by USBD_CreateConfigurationRequestEx
};

struct USBD_VERSION_INFORMATION {
    ULONG USBDI_Version;
    ULONG Supported_USB_Version;
};

// The first interface descriptor at or after `start` that matches every criterion that is not
// -1; null when there is none or the descriptor is malformed.
USB_INTERFACE_DESCRIPTOR* USBD_ParseConfigurationDescriptorEx(
    USB_CONFIGURATION_DESCRIPTOR* configuration, PVOID start, LONG interfaceNumber,
    LONG alternateSetting, LONG interfaceClass, LONG interfaceSubClass, LONG interfaceProtocol);

// A select-configuration URB from pool memory for the listed interfaces; every pipe asks for the
// default maximum transfer size. Null when the pool is exhausted. The caller frees it.
URB* USBD_CreateConfigurationRequestEx(USB_CONFIGURATION_DESCRIPTOR* configuration,
                                       USBD_INTERFACE_LIST_ENTRY* interfaceList);

void USBD_GetUSBDIVersion(USBD_VERSION_INFORMATION* version);

// The version and last-status commands: the two records the driver keeps about itself.

#include <array>

#include "driver/zousb_ioctl.h"
#include "kernel/usb.h"
#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/little_endian_fields.h"

namespace zousbdiag {

namespace {

// Sends a code without input that answers a fixed-size record; nullopt (and a message) when the
// request fails or answers fewer bytes.
template <std::size_t Size>
std::optional<std::array<std::uint8_t, Size>> readRecord(unsigned instance, std::uint32_t code,
                                                         const char* what, std::ostream& err) {
    std::optional<HubConnection> hub = openHubOrReport(instance, err);
    if (!hub) {
        return std::nullopt;
    }
    std::array<std::uint8_t, Size> record{};
    const zo::platform::IoControlResult result = hub->control(code, {}, record);
    if (!result.succeeded() || result.bytesReturned < Size) {
        err << "zousbdiag: " << hubDeviceName(instance) << ": reading the " << what
            << " failed: " << describeStatus(result.status) << ", " << result.bytesReturned
            << " of " << Size << " bytes\n";
        return std::nullopt;
    }
    return record;
}

const char* usbStatusMeaning(USBD_STATUS status) {
    struct Meaning {
        USBD_STATUS status;
        const char* text;
    };
    static constexpr Meaning kMeanings[] = {
        {USBD_STATUS_SUCCESS, "no USB request has failed"},
        {USBD_STATUS_STALL_PID, "USBD_STATUS_STALL_PID: the device stalled"},
        {USBD_STATUS_DEV_NOT_RESPONDING, "USBD_STATUS_DEV_NOT_RESPONDING"},
        {USBD_STATUS_DATA_UNDERRUN, "USBD_STATUS_DATA_UNDERRUN"},
        {USBD_STATUS_BUFFER_TOO_SMALL, "USBD_STATUS_BUFFER_TOO_SMALL"},
        {USBD_STATUS_INVALID_URB_FUNCTION, "USBD_STATUS_INVALID_URB_FUNCTION"},
        {USBD_STATUS_INVALID_PARAMETER, "USBD_STATUS_INVALID_PARAMETER"},
        {USBD_STATUS_INVALID_PIPE_HANDLE, "USBD_STATUS_INVALID_PIPE_HANDLE"},
        {USBD_STATUS_DEVICE_GONE, "USBD_STATUS_DEVICE_GONE"},
        {USBD_STATUS_CANCELED, "USBD_STATUS_CANCELED"},
    };
    for (const Meaning& meaning : kMeanings) {
        if (meaning.status == status) {
            return meaning.text;
        }
    }
    return nullptr;
}

}  // namespace

int runVersion(unsigned instance, std::ostream& out, std::ostream& err) {
    const auto record = readRecord<sizeof(ZOUSB_DRIVER_VERSION)>(
        instance, IOCTL_ZOUSB_GET_DRIVER_VERSION, "driver version", err);
    if (!record) {
        return kExitFailure;
    }
    out << "Driver version " << readLe16(*record, 0) << '.' << readLe16(*record, 2) << '.'
        << readLe16(*record, 4) << '\n';
    return kExitSuccess;
}

int runLastStatus(unsigned instance, std::ostream& out, std::ostream& err) {
    const auto record =
        readRecord<4>(instance, IOCTL_ZOUSB_GET_LAST_USB_STATUS, "last USB status", err);
    if (!record) {
        return kExitFailure;
    }
    const std::uint32_t status = readLe32(*record, 0);
    out << "Last USB status " << hexNumber(status, 8);
    if (const char* meaning = usbStatusMeaning(static_cast<USBD_STATUS>(status))) {
        out << " (" << meaning << ')';
    }
    out << '\n';
    return kExitSuccess;
}

}  // namespace zousbdiag

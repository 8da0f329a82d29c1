#include "library/driver_transport.h"

namespace zo::quinteldrv {

std::string deviceObjectPath(std::uint32_t slot) {
    return "\\\\.\\ZOUSB-" + std::to_string(slot);
}

// The exports never throw: running out of memory below them is a failed call like any other.
bool openDeviceObject(QnDeviceContext& context, std::uint32_t slot) {
    closeDeviceObject(context);
    try {
        platform::KernelStatus status = 0;
        context.driver = platform::DeviceFile::open(deviceObjectPath(slot), status);
    } catch (...) {
        context.driver.reset();
    }
    context.hardwareError = context.driver ? QN_HW_OK : QN_HW_CANNOT_OPEN;
    return context.driver.has_value();
}

void closeDeviceObject(QnDeviceContext& context) {
    context.driver.reset();
}

bool quietIoControl(QnDeviceContext& context, std::uint32_t code,
                    std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
    try {
        return context.driver && context.driver->control(code, input, output).succeeded();
    } catch (...) {
        return false;
    }
}

bool exactIoControl(QnDeviceContext& context, std::uint32_t code,
                    std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
    bool succeeded = false;
    try {
        if (context.driver) {
            const platform::IoControlResult result = context.driver->control(code, input, output);
            succeeded = result.succeeded() && result.bytesReturned == output.size();
        }
    } catch (...) {
        succeeded = false;
    }
    context.hardwareError = succeeded ? QN_HW_OK : QN_HW_IOCTL_FAILED;
    return succeeded;
}

}  // namespace zo::quinteldrv

#include "platform/device_file.h"

#include "kernel/machine.h"

namespace zo::platform {

struct DeviceFile::OpenDevice {
    explicit OpenDevice(std::shared_ptr<kernel::OpenFile> opened) : file(std::move(opened)) {}
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;
    ~OpenDevice() { kernel::Machine::current().io().close(*file); }

    std::shared_ptr<kernel::OpenFile> file;
};

std::optional<DeviceFile> DeviceFile::open(std::string_view path, KernelStatus& status,
                                           Options options) {
    std::shared_ptr<kernel::OpenFile> file;
    status = kernel::Machine::current().io().open(path, options.from32BitProcess, file);
    if (!file) {
        return std::nullopt;
    }
    return DeviceFile(std::make_unique<OpenDevice>(std::move(file)));
}

DeviceFile::DeviceFile(std::unique_ptr<OpenDevice> device) : device_(std::move(device)) {}

DeviceFile::DeviceFile(DeviceFile&&) noexcept = default;

DeviceFile& DeviceFile::operator=(DeviceFile&&) noexcept = default;

DeviceFile::~DeviceFile() = default;

IoControlResult DeviceFile::control(std::uint32_t code, std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output) {
    const kernel::IoResult result =
        kernel::Machine::current().io().deviceControl(*device_->file, code, input, output);
    return {result.status, static_cast<std::uint32_t>(result.information)};
}

const char* statusText(KernelStatus status) {
    return kernel::statusName(status);
}

}  // namespace zo::platform

#include "platform/device_file.h"

#include "kernel/machine.h"

namespace zo::platform {

std::optional<DeviceFile> DeviceFile::open(std::string_view path, KernelStatus& status,
                                           Options options) {
    std::shared_ptr<kernel::OpenFile> file;
    status = kernel::Machine::current().io().open(path, options.from32BitProcess, file);
    if (!file) {
        return std::nullopt;
    }
    return DeviceFile(std::move(file));
}

DeviceFile::DeviceFile(std::shared_ptr<kernel::OpenFile> file) : file_(std::move(file)) {}

DeviceFile::DeviceFile(DeviceFile&& other) noexcept : file_(std::move(other.file_)) {}

DeviceFile& DeviceFile::operator=(DeviceFile&& other) noexcept {
    if (this != &other) {
        close();
        file_ = std::move(other.file_);
    }
    return *this;
}

DeviceFile::~DeviceFile() {
    close();
}

void DeviceFile::close() {
    if (file_) {
        kernel::Machine::current().io().close(*file_);
        file_.reset();
    }
}

IoControlResult DeviceFile::control(std::uint32_t code, std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output) {
    const kernel::IoResult result =
        kernel::Machine::current().io().deviceControl(*file_, code, input, output);
    return {result.status, static_cast<std::uint32_t>(result.information)};
}

const char* statusText(KernelStatus status) {
    return kernel::statusName(status);
}

}  // namespace zo::platform

#include "platform/embedded_device_handle.h"

#include "kernel/machine.h"

namespace zo::platform {

namespace {

class EmbeddedDeviceHandle final : public DeviceHandle {
  public:
    explicit EmbeddedDeviceHandle(std::shared_ptr<kernel::OpenFile> file)
        : file_(std::move(file)) {}
    ~EmbeddedDeviceHandle() override { kernel::Machine::current().io().close(*file_); }
    EmbeddedDeviceHandle(const EmbeddedDeviceHandle&) = delete;
    EmbeddedDeviceHandle& operator=(const EmbeddedDeviceHandle&) = delete;

    IoControlResult control(std::uint32_t code, std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) override {
        const kernel::IoResult result =
            kernel::Machine::current().io().deviceControl(*file_, code, input, output);
        return {result.status, static_cast<std::uint32_t>(result.information)};
    }

  private:
    std::shared_ptr<kernel::OpenFile> file_;
};

}  // namespace

std::unique_ptr<DeviceHandle> openEmbeddedDevice(std::string_view path, bool from32BitProcess,
                                                 KernelStatus& status) {
    std::shared_ptr<kernel::OpenFile> file;
    status = kernel::Machine::current().io().open(path, from32BitProcess, file);
    if (!file) {
        return nullptr;
    }
    return std::make_unique<EmbeddedDeviceHandle>(std::move(file));
}

}  // namespace zo::platform

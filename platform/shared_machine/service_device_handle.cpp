#include "platform/shared_machine/service_device_handle.h"

#include <algorithm>
#include <mutex>

#include "kernel/ntstatus.h"
#include "platform/shared_machine/service_session.h"

namespace zo::platform::service {

namespace {

class ServiceDeviceHandle final : public DeviceHandle {
  public:
    explicit ServiceDeviceHandle(ServiceSession session) : session_(std::move(session)) {}
    ~ServiceDeviceHandle() override {
        std::lock_guard lock(mutex_);
        session_.call<CloseReply>(CloseRequest{});
    }
    ServiceDeviceHandle(const ServiceDeviceHandle&) = delete;
    ServiceDeviceHandle& operator=(const ServiceDeviceHandle&) = delete;

    IoControlResult control(std::uint32_t code, std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) override {
        if (input.size() > kMaxTransferBytes || output.size() > kMaxTransferBytes) {
            return {STATUS_INVALID_PARAMETER, 0};
        }
        IoControlRequest request{
            code, {input.begin(), input.end()}, static_cast<std::uint32_t>(output.size()), {}};
        const bool whole = carriesOutputBuffer(code);
        if (whole) {
            request.output.assign(output.begin(), output.end());
        }
        std::lock_guard lock(mutex_);
        const std::optional<IoControlReply> reply = session_.call<IoControlReply>(request);
        const bool fits = reply && (whole ? reply->output.size() == output.size()
                                          : reply->output.size() <= output.size());
        if (!fits) {
            return {STATUS_NO_SUCH_DEVICE, 0};
        }
        std::copy(reply->output.begin(), reply->output.end(), output.begin());
        return {reply->status, reply->information};
    }

  private:
    std::mutex mutex_;
    ServiceSession session_;
};

}  // namespace

std::unique_ptr<DeviceHandle> openServiceDevice(const std::filesystem::path& socket,
                                                std::string_view path, bool from32BitProcess,
                                                KernelStatus& status) {
    if (path.empty() || path.size() > kMaxPathBytes) {
        status = STATUS_OBJECT_NAME_INVALID;
        return nullptr;
    }
    std::optional<ServiceSession> session = ServiceSession::connect(socket, status);
    if (!session) {
        return nullptr;
    }
    const std::optional<OpenReply> opened =
        session->call<OpenReply>(OpenRequest{from32BitProcess, std::string(path)});
    status = opened ? opened->status : STATUS_NO_SUCH_DEVICE;
    if (!NT_SUCCESS(status)) {
        return nullptr;
    }
    return std::make_unique<ServiceDeviceHandle>(std::move(*session));
}

}  // namespace zo::platform::service

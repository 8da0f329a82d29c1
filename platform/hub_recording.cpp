#include "platform/hub_recording.h"

#include <utility>

#include "hub/simulated_hub.h"
#include "kernel/machine.h"
#include "kernel/port_lookup.h"
#include "platform/hub_recording_source.h"

namespace zo::platform {

namespace {

// A hub of this process's own machine.
class EmbeddedSource final : public HubRecording::Source {
  public:
    explicit EmbeddedSource(std::shared_ptr<hub::SimulatedHub> hub) : hub_(std::move(hub)) {}
    ~EmbeddedSource() override {
        if (hub_) {
            hub_->stopRecording();
        }
    }
    std::optional<hub::Waveform> stop(KernelStatus& status) override {
        status = STATUS_SUCCESS;
        return std::exchange(hub_, nullptr)->stopRecording();
    }

  private:
    std::shared_ptr<hub::SimulatedHub> hub_;
};

}  // namespace

std::unique_ptr<HubRecording::Source> startEmbeddedRecording(std::string_view devicePath,
                                                             std::uint32_t maxTransitions,
                                                             KernelStatus& status) {
    kernel::UsbPort* port = kernel::portBehind(kernel::Machine::current(), devicePath);
    auto hub = port == nullptr ? nullptr
                               : std::dynamic_pointer_cast<hub::SimulatedHub>(port->sharedDevice());
    if (!hub) {
        status = port == nullptr ? STATUS_OBJECT_NAME_NOT_FOUND : STATUS_INVALID_DEVICE_REQUEST;
        return nullptr;
    }
    hub->startRecording(maxTransitions == 0 ? hub::SimulatedHub::kDefaultMaxTransitions
                                            : maxTransitions);
    status = STATUS_SUCCESS;
    return std::make_unique<EmbeddedSource>(std::move(hub));
}

std::optional<HubRecording> HubRecording::start(std::string_view devicePath, KernelStatus& status,
                                                std::uint32_t maxTransitions) {
    if (devicePath.empty()) {
        status = STATUS_OBJECT_NAME_INVALID;
        return std::nullopt;
    }
    std::unique_ptr<Source> source = startRecordingSource(devicePath, maxTransitions, status);
    if (!source) {
        return std::nullopt;
    }
    return HubRecording(std::move(source));
}

HubRecording::HubRecording(std::unique_ptr<Source> source) : source_(std::move(source)) {}
HubRecording::HubRecording(HubRecording&&) noexcept = default;
HubRecording& HubRecording::operator=(HubRecording&&) noexcept = default;
HubRecording::~HubRecording() = default;

std::optional<hub::Waveform> HubRecording::stop(KernelStatus& status) {
    if (!source_) {
        status = STATUS_INVALID_DEVICE_STATE;
        return std::nullopt;
    }
    std::optional<hub::Waveform> waveform = source_->stop(status);
    source_.reset();
    return waveform;
}

}  // namespace zo::platform

#include "platform/hub_recording.h"

#include "hub/simulated_hub.h"
#include "kernel/machine.h"
#include "kernel/port_lookup.h"
#include "platform/machine_choice.h"
#include "platform/shared_machine/service_location.h"
#include "platform/shared_machine/service_session.h"

namespace zo::platform {

class HubRecording::Source {
  public:
    virtual ~Source() = default;
    virtual std::optional<hub::Waveform> stop(KernelStatus& status) = 0;
};

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

// A hub of the shared machine: the service records it for as long as this connection lasts.
class ServiceSource final : public HubRecording::Source {
  public:
    explicit ServiceSource(service::ServiceSession session) : session_(std::move(session)) {}
    std::optional<hub::Waveform> stop(KernelStatus& status) override {
        status = STATUS_NO_SUCH_DEVICE;
        const auto reply = session_.call<service::RecordStopReply>(service::RecordStopRequest{});
        if (!reply) {
            return std::nullopt;
        }
        status = reply->status;
        if (!NT_SUCCESS(status)) {
            return std::nullopt;
        }
        hub::Waveform waveform{reply->startNanoseconds,
                               reply->endNanoseconds,
                               reply->initialLevels,
                               {},
                               reply->truncated};
        waveform.transitions.reserve(reply->transitionCount);
        while (waveform.transitions.size() < reply->transitionCount) {
            const auto chunk = session_.receive<service::WaveformChunk>();
            if (!chunk) {
                status = STATUS_NO_SUCH_DEVICE;
                return std::nullopt;
            }
            waveform.transitions.insert(waveform.transitions.end(), chunk->transitions.begin(),
                                        chunk->transitions.end());
        }
        return waveform;
    }

  private:
    service::ServiceSession session_;
};

std::unique_ptr<HubRecording::Source> startEmbedded(std::string_view devicePath,
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

std::unique_ptr<HubRecording::Source> startShared(std::string_view devicePath,
                                                  std::uint32_t maxTransitions,
                                                  KernelStatus& status) {
    status = STATUS_NO_SUCH_DEVICE;
    const auto socket = service::serviceSocketPath();
    std::optional<service::ServiceSession> session =
        socket ? service::ServiceSession::connect(*socket, status) : std::nullopt;
    if (!session) {
        return nullptr;
    }
    const auto started = session->call<service::RecordStartReply>(
        service::RecordStartRequest{std::string(devicePath), maxTransitions});
    status = started ? started->status : STATUS_NO_SUCH_DEVICE;
    if (!NT_SUCCESS(status)) {
        return nullptr;
    }
    return std::make_unique<ServiceSource>(std::move(*session));
}

}  // namespace

std::optional<HubRecording> HubRecording::start(std::string_view devicePath, KernelStatus& status,
                                                std::uint32_t maxTransitions) {
    if (devicePath.empty() || devicePath.size() > service::kMaxPathBytes) {
        status = STATUS_OBJECT_NAME_INVALID;
        return std::nullopt;
    }
    std::unique_ptr<Source> source = chooseMachine() == MachinePlace::Embedded
                                         ? startEmbedded(devicePath, maxTransitions, status)
                                         : startShared(devicePath, maxTransitions, status);
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

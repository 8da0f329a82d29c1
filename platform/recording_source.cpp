// Recording a hub on Linux: of this process's own machine, or of the shared one, which records it
// for as long as this process's connection to the service lasts.

#include "kernel/ntstatus.h"
#include "platform/hub_recording_source.h"
#include "platform/machine_choice.h"
#include "platform/shared_machine/service_location.h"
#include "platform/shared_machine/service_session.h"

namespace zo::platform {

namespace {

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

std::unique_ptr<HubRecording::Source> startShared(std::string_view devicePath,
                                                  std::uint32_t maxTransitions,
                                                  KernelStatus& status) {
    if (devicePath.size() > service::kMaxPathBytes) {
        status = STATUS_OBJECT_NAME_INVALID;
        return nullptr;
    }
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

std::unique_ptr<HubRecording::Source> startRecordingSource(std::string_view devicePath,
                                                           std::uint32_t maxTransitions,
                                                           KernelStatus& status) {
    return chooseMachine() == MachinePlace::Embedded
               ? startEmbeddedRecording(devicePath, maxTransitions, status)
               : startShared(devicePath, maxTransitions, status);
}

}  // namespace zo::platform

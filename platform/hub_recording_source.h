#pragma once
// Where a HubRecording (platform/hub_recording.h) comes from: a hub of this process's own
// simulated machine, or one of the machine that the process reaches elsewhere.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/hub_recording.h"

namespace zo::platform {

class HubRecording::Source {
  public:
    virtual ~Source() = default;
    virtual std::optional<hub::Waveform> stop(KernelStatus& status) = 0;
};

// Records the hub behind `devicePath` in this process's own machine; null with the reason in
// `status` (no such hub, not a simulated hub). `maxTransitions` 0 keeps the hub's own limit.
std::unique_ptr<HubRecording::Source> startEmbeddedRecording(std::string_view devicePath,
                                                             std::uint32_t maxTransitions,
                                                             KernelStatus& status);

// Records the hub behind `devicePath` wherever this process's hubs are, as its device files reach
// them.
std::unique_ptr<HubRecording::Source> startRecordingSource(std::string_view devicePath,
                                                           std::uint32_t maxTransitions,
                                                           KernelStatus& status);

}  // namespace zo::platform

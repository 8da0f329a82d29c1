#pragma once
// Recording a simulated hub's outputs and inputs as they run, wherever the hub is: in this
// process's own machine or in the shared one. Recording opens no handle on the hub's device, so
// nothing the hub runs is reset or disturbed.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "hub/waveform.h"
#include "platform/device_handle.h"

namespace zo::platform {

class HubRecording {
  public:
    class Source;

    // Starts recording the hub behind `devicePath` ("\\.\ZOUSB-0"); `maxTransitions` 0 keeps the
    // hub's own limit. Nullopt with the reason in `status`: STATUS_OBJECT_NAME_NOT_FOUND (no such
    // hub), STATUS_INVALID_DEVICE_REQUEST (not a simulated hub), STATUS_DEVICE_BUSY (someone else
    // records it), STATUS_NO_SUCH_DEVICE (the shared machine's service is away).
    static std::optional<HubRecording> start(std::string_view devicePath, KernelStatus& status,
                                             std::uint32_t maxTransitions = 0);

    HubRecording(HubRecording&&) noexcept;
    HubRecording& operator=(HubRecording&&) noexcept;
    ~HubRecording();  // a recording that was not stopped is discarded

    // Ends the recording and returns it; nullopt with the reason in `status` when the hub or the
    // service went away meanwhile.
    std::optional<hub::Waveform> stop(KernelStatus& status);

  private:
    explicit HubRecording(std::unique_ptr<Source> source);

    std::unique_ptr<Source> source_;
};

}  // namespace zo::platform

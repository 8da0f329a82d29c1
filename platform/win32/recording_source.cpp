// Recording a hub on Windows: only a hub of the simulated machine of ZoSystem.dll, which holds
// this code, and only when the process's device files reach that machine; a hub behind the
// system's driver is a real one.

#include "kernel/ntstatus.h"
#include "platform/hub_recording_source.h"
#include "platform/win32/simulated_machine.h"

namespace zo::platform {

std::unique_ptr<HubRecording::Source> startRecordingSource(std::string_view devicePath,
                                                           std::uint32_t maxTransitions,
                                                           KernelStatus& status) {
    if (win32::simulatedMachine() == nullptr) {
        status = STATUS_INVALID_DEVICE_REQUEST;
        return nullptr;
    }
    return startEmbeddedRecording(devicePath, maxTransitions, status);
}

}  // namespace zo::platform

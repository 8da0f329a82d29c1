#pragma once
// The shared machine as zousbsim administers it for its clients: the hubs plugged in and out
// while programs run, the list of hubs, the recording of a hub's signals for one connection, and
// the usbmon capture. Administrative requests run one at a time; device I/O goes on meanwhile.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hub/simulated_hub.h"
#include "kernel/machine.h"
#include "platform/shared_machine/protocol.h"

namespace zo::zousbsim {

namespace protocol = zo::platform::service;

class MachineHost {
  public:
    explicit MachineHost(kernel::Machine& machine) : machine_(machine) {}

    kernel::Machine& machine() { return machine_; }

    // Every hub on the bus, in port order, with the device name its driver instance has.
    std::vector<protocol::HubEntry> hubs();

    // Plugs in one hub described as an entry of ZOUSB_DEVICES; the driver adds and starts it.
    protocol::PlugReply plug(const std::string& entry);
    // Pulls the hub out: the driver sees a surprise removal, then the removal.
    NTSTATUS unplug(std::uint32_t port);

    // Records the hub behind `devicePath` for `owner` (one recording per owner and per hub).
    NTSTATUS startRecording(std::uint64_t owner, const std::string& devicePath,
                            std::uint32_t maxTransitions);
    // The owner's recording, ended; nullopt with the reason when there is none or its hub was
    // unplugged meanwhile.
    std::optional<hub::Waveform> stopRecording(std::uint64_t owner, NTSTATUS& status);
    // The owner went away: its recording, if any, is discarded.
    void dropRecording(std::uint64_t owner);

    // Starts (absolute path) or stops (empty path) the usbmon capture of the bus.
    protocol::CaptureReply capture(const std::string& path);

  private:
    struct Recording {
        std::uint64_t owner;
        int port;
        std::shared_ptr<hub::SimulatedHub> hub;  // null once the hub was unplugged
    };

    kernel::Machine& machine_;
    std::mutex mutex_;
    std::vector<Recording> recordings_;
};

}  // namespace zo::zousbsim

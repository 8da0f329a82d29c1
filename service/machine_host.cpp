#include "service/machine_host.h"

#include <algorithm>

#include "hub/device_list.h"
#include "kernel/port_lookup.h"
#include "simulation/simulated_hubs.h"

namespace zo::zousbsim {

namespace {

// zousbdrv names its instances \\.\ZOUSB-0 to \\.\ZOUSB-7.
constexpr int kDriverInstances = 8;

std::string instancePath(int instance) {
    return "\\\\.\\ZOUSB-" + std::to_string(instance);
}

// The hubs plugged in. A hub pulled out while handles to it were open keeps its port until the
// last of them closes; it is no longer there for anyone.
std::vector<kernel::UsbPort*> pluggedIn(kernel::Machine& machine) {
    std::vector<kernel::UsbPort*> ports = machine.bus().ports();
    std::erase_if(ports, [](const kernel::UsbPort* port) { return !port->connected(); });
    return ports;
}

protocol::HubEntry describe(kernel::UsbPort& port) {
    protocol::HubEntry entry;
    entry.port = static_cast<std::uint32_t>(port.number());
    entry.highSpeed = port.device().speed() == usb::Speed::High;
    if (const auto* simulated = dynamic_cast<const hub::SimulatedHub*>(&port.device())) {
        const hub::HubOptions& options = simulated->options();
        entry.simulated = true;
        entry.hasInfoBlock = options.hasInfoBlock;
        entry.productId = options.productId;
        entry.firmware = options.firmware;
        entry.serial = options.serial;
        entry.inputAHz = options.inputAHz;
        entry.inputBHz = options.inputBHz;
    }
    return entry;
}

}  // namespace

std::vector<protocol::HubEntry> MachineHost::hubs() {
    std::lock_guard lock(mutex_);
    std::vector<protocol::HubEntry> entries;
    for (kernel::UsbPort* port : pluggedIn(machine_)) {
        entries.push_back(describe(*port));
        entries.back().recording =
            std::any_of(recordings_.begin(), recordings_.end(), [&](const Recording& recording) {
                return recording.port == port->number() && recording.hub;
            });
    }
    for (int instance = 0; instance < kDriverInstances; ++instance) {
        const kernel::UsbPort* port = kernel::portBehind(machine_, instancePath(instance));
        for (protocol::HubEntry& entry : entries) {
            if (port != nullptr && entry.port == static_cast<std::uint32_t>(port->number())) {
                entry.device = instancePath(instance);
            }
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& left, const auto& right) { return left.port < right.port; });
    return entries;
}

protocol::PlugReply MachineHost::plug(const std::string& entry) {
    const hub::DeviceList list = hub::parseDeviceList(entry.c_str());
    protocol::PlugReply reply{STATUS_INVALID_PARAMETER, STATUS_INVALID_PARAMETER, 0, list.error};
    if (list.ok() && list.hubs.size() != 1) {
        reply.error = "name one hub: 'sim', optionally followed by ':' and key=value options";
    }
    if (!reply.error.empty()) {
        return reply;
    }
    std::lock_guard lock(mutex_);
    if (pluggedIn(machine_).size() >= protocol::kMaxHubs) {
        reply.added = reply.started = STATUS_INSUFFICIENT_RESOURCES;
        reply.error = "the machine has " + std::to_string(protocol::kMaxHubs) + " hubs already";
        return reply;
    }
    const auto plugged = simulation::plugSimulatedHub(machine_, list.hubs.front());
    return {plugged.added, plugged.started, static_cast<std::uint32_t>(plugged.port), {}};
}

NTSTATUS MachineHost::unplug(std::uint32_t port) {
    std::lock_guard lock(mutex_);
    const int number = static_cast<int>(std::min<std::uint32_t>(port, INT32_MAX));
    const kernel::UsbPort* plugged = port == 0 ? nullptr : machine_.bus().port(number);
    if (plugged == nullptr || !plugged->connected()) {
        return STATUS_NO_SUCH_DEVICE;
    }
    for (Recording& recording : recordings_) {
        if (recording.port == number && recording.hub) {
            recording.hub->stopRecording();
            recording.hub.reset();
        }
    }
    machine_.pnp().unplug(number);
    return STATUS_SUCCESS;
}

NTSTATUS MachineHost::startRecording(std::uint64_t owner, const std::string& devicePath,
                                     std::uint32_t maxTransitions) {
    std::lock_guard lock(mutex_);
    kernel::UsbPort* port = kernel::portBehind(machine_, devicePath);
    if (port == nullptr) {
        return STATUS_OBJECT_NAME_NOT_FOUND;
    }
    auto hub = std::dynamic_pointer_cast<hub::SimulatedHub>(port->sharedDevice());
    if (!hub) {
        return STATUS_INVALID_DEVICE_REQUEST;
    }
    const bool busy =
        std::any_of(recordings_.begin(), recordings_.end(), [&](const Recording& recording) {
            return recording.owner == owner || recording.hub == hub;
        });
    if (busy) {
        return STATUS_DEVICE_BUSY;
    }
    // The service's memory is everyone's: no recording may hold more than a hub's own limit.
    const std::size_t limit =
        maxTransitions == 0
            ? hub::SimulatedHub::kDefaultMaxTransitions
            : std::min<std::size_t>(maxTransitions, hub::SimulatedHub::kDefaultMaxTransitions);
    hub->startRecording(limit);
    recordings_.push_back({owner, port->number(), std::move(hub)});
    return STATUS_SUCCESS;
}

std::optional<hub::Waveform> MachineHost::stopRecording(std::uint64_t owner, NTSTATUS& status) {
    std::shared_ptr<hub::SimulatedHub> hub;
    {
        std::lock_guard lock(mutex_);
        const auto found =
            std::find_if(recordings_.begin(), recordings_.end(),
                         [&](const Recording& recording) { return recording.owner == owner; });
        if (found == recordings_.end()) {
            status = STATUS_INVALID_DEVICE_STATE;
            return std::nullopt;
        }
        hub = std::move(found->hub);
        recordings_.erase(found);
    }
    if (!hub) {
        status = STATUS_NO_SUCH_DEVICE;
        return std::nullopt;
    }
    // Outside the lock: catching up with a long recording takes time that others need not wait.
    status = STATUS_SUCCESS;
    return hub->stopRecording();
}

void MachineHost::dropRecording(std::uint64_t owner) {
    NTSTATUS ignored = STATUS_SUCCESS;
    stopRecording(owner, ignored);
}

protocol::CaptureReply MachineHost::capture(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (path.empty()) {
        machine_.stopCapture();
        return {STATUS_SUCCESS, {}};
    }
    if (path.front() != '/') {
        return {STATUS_OBJECT_NAME_INVALID, "the capture file must be named by an absolute path"};
    }
    std::string error;
    if (!machine_.startCapture(path, error)) {
        return {STATUS_UNSUCCESSFUL, "cannot write " + path + ": " + error};
    }
    return {STATUS_SUCCESS, {}};
}

}  // namespace zo::zousbsim

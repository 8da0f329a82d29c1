#include "hub/simulated_hub.h"

#include <algorithm>
#include <array>

#include "hub/control_answer.h"
#include "hub/descriptors.h"

namespace zo::hub {
namespace {

constexpr std::uint8_t kTypeStandard = 0;
constexpr std::uint8_t kTypeVendor = 2;

std::uint8_t requestKind(const zo::usb::SetupPacket& setup) {
    return static_cast<std::uint8_t>((setup.requestType >> 5) & 0x03);
}

}  // namespace

SimulatedHub::SimulatedHub(const HubOptions& options)
    : SimulatedHub(options, std::make_shared<SteadyHubClock>()) {}

SimulatedHub::SimulatedHub(const HubOptions& options, std::shared_ptr<const HubClock> clock)
    : options_(options),
      information_(options),
      clock_(clock ? std::move(clock) : std::make_shared<SteadyHubClock>()),
      registers_(options.inputAHz, options.inputBHz),
      stream_(registers_.sequencers(), options.speed) {}

std::uint64_t SimulatedHub::catchUp() {
    const std::uint64_t now = clock_->nanosecondsSincePowerOn();
    stream_.advance(now);
    return now;
}

zo::usb::TransferResult SimulatedHub::control(const zo::usb::SetupPacket& setup,
                                              std::span<std::uint8_t> data) {
    const std::span<std::uint8_t> stage =
        data.first(std::min<std::size_t>(data.size(), setup.length));
    const std::lock_guard lock(mutex_);
    catchUp();
    if (faults_.takeStall()) {
        return stalled();
    }
    zo::usb::TransferResult result = stalled();
    if (requestKind(setup) == kTypeStandard) {
        result = standardRequest(setup, stage);
    } else if (requestKind(setup) == kTypeVendor) {
        result = vendorRequest(setup, stage);
    }
    if (setup.isIn() && result.status == zo::usb::TransferStatus::Ok) {
        result.bytes = faults_.shortenRead(setup.length, result.bytes);
    }
    return result;
}

zo::usb::TransferResult SimulatedHub::transfer(std::uint8_t endpointAddress,
                                               std::span<std::uint8_t> data) {
    const std::lock_guard lock(mutex_);
    catchUp();
    if (configuration_ == 0) {
        return stalled();
    }
    switch (endpointAddress) {
        case kBulkOutEndpoint:
            return loopback_.push(data) ? accepted(data) : stalled();
        case kBulkInEndpoint:
            return {zo::usb::TransferStatus::Ok, static_cast<std::uint32_t>(loopback_.pop(data))};
        case kInterruptInEndpoint:
            return interruptStatus(data);
        default:
            // The isochronous endpoint is served by isochronous() only.
            return stalled();
    }
}

zo::usb::TransferResult SimulatedHub::isochronous(std::uint8_t endpointAddress, std::uint64_t frame,
                                                  std::span<std::uint8_t> data) {
    const std::lock_guard lock(mutex_);
    const std::uint64_t now = catchUp();
    if (configuration_ == 0) {
        stream_.stop();
    }
    if (configuration_ == 0 || endpointAddress != kIsochronousInEndpoint) {
        return {zo::usb::TransferStatus::NotResponding, 0};
    }
    const std::size_t length = stream_.packet(now, frame, data);
    return {zo::usb::TransferStatus::Ok, static_cast<std::uint32_t>(length)};
}

void SimulatedHub::portReset() {
    const std::lock_guard lock(mutex_);
    catchUp();
    stream_.stop();
    configuration_ = 0;
    remoteWakeup_ = false;
    registers_.reset();
    loopback_.clear();
}

void SimulatedHub::startRecording(std::size_t maxTransitions) {
    const std::lock_guard lock(mutex_);
    catchUp();
    registers_.sequencers().startRecording(maxTransitions);
}

Waveform SimulatedHub::stopRecording() {
    const std::lock_guard lock(mutex_);
    catchUp();
    return registers_.sequencers().stopRecording();
}

void SimulatedHub::stallNextControlTransfers(std::uint32_t count) {
    const std::lock_guard lock(mutex_);
    faults_.stallNext(count);
}

void SimulatedHub::shortenNextControlReads(std::uint32_t count, std::uint32_t missingBytes) {
    const std::lock_guard lock(mutex_);
    faults_.shortenNextReads(count, missingBytes);
}

zo::usb::TransferResult SimulatedHub::interruptStatus(std::span<std::uint8_t> data) const {
    const std::array<std::uint8_t, 4> packet{
        registers_.read(kOutputEnable), registers_.read(kMeasurementControl),
        registers_.read(kMeasurementResultLow), registers_.read(kMeasurementResultHigh)};
    return answer(data, packet);
}

bool SimulatedHub::isEndpoint(std::uint8_t address) const {
    if ((address & 0x7F) == 0) {
        return true;  // the default pipe, in either direction
    }
    if (configuration_ == 0) {
        return false;
    }
    constexpr std::array endpoints{kBulkOutEndpoint, kBulkInEndpoint, kInterruptInEndpoint,
                                   kIsochronousInEndpoint};
    return std::ranges::find(endpoints, address) != endpoints.end();
}

}  // namespace zo::hub

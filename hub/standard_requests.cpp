// The hub's answers to the standard requests of the USB 2.0 framework. Anything the hub does not
// support, or a request whose direction or fields do not fit, is answered with a stall.

#include <array>

#include "hub/control_answer.h"
#include "hub/descriptors.h"
#include "hub/simulated_hub.h"

namespace zo::hub {
namespace {

enum Request : std::uint8_t {
    GetStatus = 0,
    ClearFeature = 1,
    SetFeature = 3,
    SetAddress = 5,
    GetDescriptor = 6,
    GetConfiguration = 8,
    SetConfiguration = 9,
    GetInterface = 10,
    SetInterface = 11
};

enum Recipient : std::uint8_t { Device = 0, Interface = 1, Endpoint = 2 };

constexpr std::uint16_t kFeatureEndpointHalt = 0;
constexpr std::uint16_t kFeatureRemoteWakeup = 1;
constexpr std::uint8_t kMaxAddress = 127;

}  // namespace

zo::usb::TransferResult SimulatedHub::standardRequest(const zo::usb::SetupPacket& setup,
                                                      std::span<std::uint8_t> data) {
    const std::uint8_t recipient = setup.requestType & 0x1F;
    const bool in = setup.isIn();
    const bool configured = configuration_ != 0;
    const std::array<std::uint8_t, 2> noStatus{0, 0};

    switch (recipient) {
        case Device:
            if (in && setup.request == GetStatus && setup.value == 0 && setup.index == 0) {
                const std::array<std::uint8_t, 2> status{
                    static_cast<std::uint8_t>(remoteWakeup_ ? 0x02 : 0x00), 0};
                return answer(data, status);
            }
            if (!in && (setup.request == SetFeature || setup.request == ClearFeature) &&
                setup.value == kFeatureRemoteWakeup && setup.index == 0) {
                remoteWakeup_ = setup.request == SetFeature;
                return accepted(data);
            }
            if (!in && setup.request == SetAddress && setup.value <= kMaxAddress &&
                setup.index == 0) {
                return accepted(data);  // the bus stand-in does not route by address
            }
            if (in && setup.request == GetDescriptor) {
                return getDescriptor(setup, data);
            }
            if (in && setup.request == GetConfiguration) {
                const std::array<std::uint8_t, 1> value{configuration_};
                return answer(data, value);
            }
            if (!in && setup.request == SetConfiguration && setup.value <= kConfigurationValue) {
                configuration_ = static_cast<std::uint8_t>(setup.value);
                return accepted(data);
            }
            return stalled();
        case Interface:
            if (!configured || setup.index != 0) {
                return stalled();
            }
            if (in && setup.request == GetStatus) {
                return answer(data, noStatus);
            }
            if (in && setup.request == GetInterface) {
                const std::array<std::uint8_t, 1> alternateSetting{0};
                return answer(data, alternateSetting);
            }
            if (!in && setup.request == SetInterface && setup.value == 0) {
                return accepted(data);
            }
            return stalled();
        case Endpoint:
            // A stall of this hub belongs to one transfer: no endpoint stays halted, so there is
            // no halt to report or to set, and clearing one is accepted as a no-op.
            if (!isEndpoint(static_cast<std::uint8_t>(setup.index & 0xFF))) {
                return stalled();
            }
            if (in && setup.request == GetStatus && setup.value == 0) {
                return answer(data, noStatus);
            }
            if (!in && setup.request == ClearFeature && setup.value == kFeatureEndpointHalt) {
                return accepted(data);
            }
            return stalled();
        default:
            return stalled();
    }
}

zo::usb::TransferResult SimulatedHub::getDescriptor(const zo::usb::SetupPacket& setup,
                                                    std::span<std::uint8_t> data) const {
    constexpr std::uint8_t kDevice = 1;
    constexpr std::uint8_t kConfiguration = 2;
    constexpr std::uint8_t kString = 3;
    const auto type = static_cast<std::uint8_t>(setup.value >> 8);
    const auto index = static_cast<std::uint8_t>(setup.value & 0xFF);

    if (type == kDevice && index == 0) {
        return answer(data, deviceDescriptor(options_));
    }
    if (type == kConfiguration && index == 0) {
        return answer(data, configurationDescriptor(options_.speed));
    }
    if (type == kString) {
        // One language only: its strings answer whatever language the host names.
        if (const auto text = stringDescriptor(options_, index)) {
            return answer(data, *text);
        }
    }
    return stalled();
}

}  // namespace zo::hub

// The vendor requests of the hub's firmware, all addressed to the device. Fields the encoding
// fixes must hold their fixed values; a request that breaks the encoding stalls and changes
// nothing. See hub/README.md for the table.

#include <array>

#include "hub/control_answer.h"
#include "hub/simulated_hub.h"

namespace zo::hub {
namespace {

enum VendorRequest : std::uint8_t {
    MemoryLoad = 0xA0,
    InformationWord = 0xF0,
    Reset = 0xFA,
    RegisterWrite = 0xFB,
    RegisterRead = 0xFC
};

constexpr std::uint16_t kRegisterTag = 0xC000;

bool isRegisterValue(std::uint16_t value) {
    return (value & 0xFF00) == kRegisterTag;
}

std::uint8_t registerOf(std::uint16_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

zo::usb::TransferResult SimulatedHub::vendorRequest(const zo::usb::SetupPacket& setup,
                                                    std::span<std::uint8_t> data) {
    constexpr std::uint8_t kRecipientDevice = 0;
    // Commands answer one acknowledgement byte when the host reads.
    constexpr std::array<std::uint8_t, 1> acknowledgement{0};
    const auto acknowledge = [&] {
        return setup.isIn() ? answer(data, acknowledgement) : accepted(data);
    };

    if ((setup.requestType & 0x1F) != kRecipientDevice) {
        return stalled();
    }
    switch (setup.request) {
        case Reset:
            if (setup.value != 0 || setup.index != 0) {
                return stalled();
            }
            registers_.resetKeepingPrograms();
            return acknowledge();
        case RegisterWrite:
            if (!isRegisterValue(setup.value) || (setup.index & 0xFF) != 0) {
                return stalled();
            }
            registers_.write(registerOf(setup.value), static_cast<std::uint8_t>(setup.index >> 8));
            return acknowledge();
        case RegisterRead:
            if (!setup.isIn() || !isRegisterValue(setup.value) || setup.index != 0) {
                return stalled();
            }
            return answer(data, std::array{registers_.read(registerOf(setup.value))});
        case InformationWord: {
            const auto word = information_.word(setup.value);
            if (!setup.isIn() || !word || setup.index != 0) {
                return stalled();
            }
            return answer(data, std::array{static_cast<std::uint8_t>(*word & 0xFF),
                                           static_cast<std::uint8_t>(*word >> 8)});
        }
        case MemoryLoad:
            if (setup.index != 0) {
                return stalled();
            }
            if (setup.isIn()) {
                return memory_.read(setup.value, data) ? accepted(data) : stalled();
            }
            return memory_.write(setup.value, data) ? accepted(data) : stalled();
        default:
            return stalled();
    }
}

}  // namespace zo::hub

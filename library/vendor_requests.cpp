#include "library/vendor_requests.h"

#include <span>

#include "driver/zousb_ioctl.h"
#include "library/driver_transport.h"

namespace zo::quinteldrv {

namespace {

constexpr std::uint8_t kDeviceToHost = 1;
constexpr std::uint8_t kVendorType = 2;
constexpr std::uint8_t kDeviceRecipient = 0;

bool vendorRequest(QnDeviceContext& context, std::uint8_t request, std::uint16_t value,
                   std::uint16_t index, std::span<std::uint8_t> data) {
    const std::array<std::uint8_t, 10> record = controlRecord(request, value, index);
    return exactIoControl(context, IOCTL_ZOUSB_CONTROL_REQUEST, record, data);
}

}  // namespace

std::array<std::uint8_t, 10> controlRecord(std::uint8_t request, std::uint16_t value,
                                           std::uint16_t index) {
    return {kDeviceToHost,
            kVendorType,
            kDeviceRecipient,
            0,
            request,
            0,
            static_cast<std::uint8_t>(value & 0xFF),
            static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(index & 0xFF),
            static_cast<std::uint8_t>(index >> 8)};
}

std::uint16_t registerSelector(std::int32_t reg) {
    return static_cast<std::uint16_t>(0xC000 + (static_cast<std::uint32_t>(reg) & 0xFF));
}

bool writeRegister(QnDeviceContext& context, std::int32_t reg, std::int32_t value) {
    std::array<std::uint8_t, 1> acknowledgement{};
    const auto index = static_cast<std::uint16_t>((static_cast<std::uint32_t>(value) & 0xFF) << 8);
    return vendorRequest(context, kRequestWriteRegister, registerSelector(reg), index,
                         acknowledgement);
}

std::optional<std::uint8_t> readRegister(QnDeviceContext& context, std::int32_t reg) {
    std::array<std::uint8_t, 1> byte{};
    if (!vendorRequest(context, kRequestReadRegister, registerSelector(reg), 0, byte)) {
        return std::nullopt;
    }
    return byte[0];
}

bool resetHub(QnDeviceContext& context) {
    std::array<std::uint8_t, 1> acknowledgement{};
    return vendorRequest(context, kRequestReset, 0, 0, acknowledgement);
}

std::optional<std::uint16_t> readInformationWord(QnDeviceContext& context, std::uint16_t index) {
    std::array<std::uint8_t, 2> word{};
    if (!vendorRequest(context, kRequestInformationWord, index, 0, word)) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(word[0] | (word[1] << 8));
}

}  // namespace zo::quinteldrv

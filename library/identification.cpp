#include "library/identification.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "driver/zousb_ioctl.h"
#include "library/driver_transport.h"
#include "library/vendor_requests.h"

namespace zo::quinteldrv {

namespace {

constexpr std::size_t kInterfaceBufferSize = 1024;
constexpr std::uint32_t kHighSpeedPipeCount = 4;
constexpr std::uint16_t kHighSpeedFirstPipePacket = 512;

constexpr std::size_t kDescriptorSize = 18;
constexpr std::size_t kProductIdOffset = 10;

// The information block: at most 130 bytes, read word by word.
constexpr std::size_t kInformationWindow = 130;
constexpr std::int32_t kLastInformationWord = 64;
constexpr std::array<std::uint8_t, 4> kInformationMagic = {'V', 'I', 'N', 'F'};
constexpr std::size_t kMagicOffset = 2;
constexpr std::size_t kSerialOffset = 8;
constexpr std::size_t kFirmwareOffset = 18;

std::uint32_t littleEndian(std::span<const std::uint8_t> bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

void readInformationBlock(QnDeviceContext& context) {
    const std::optional<std::uint16_t> length = readInformationWord(context, 0);
    if (!length || *length == 0) {
        return;
    }
    // Words 1..length/2 - 1 follow the length word; a length below 4 leaves none to read.
    const std::int32_t lastWord = std::min<std::int32_t>(*length / 2 - 1, kLastInformationWord);
    std::array<std::uint8_t, kInformationWindow> block{};
    for (std::int32_t word = 1; word <= lastWord; ++word) {
        const std::optional<std::uint16_t> value =
            readInformationWord(context, static_cast<std::uint16_t>(word));
        if (!value) {
            return;
        }
        block[2 * word] = static_cast<std::uint8_t>(*value & 0xFF);
        block[2 * word + 1] = static_cast<std::uint8_t>(*value >> 8);
    }
    if (!std::equal(kInformationMagic.begin(), kInformationMagic.end(),
                    block.begin() + kMagicOffset)) {
        return;
    }
    const std::span<const std::uint8_t> bytes(block);
    if (const std::uint32_t serial = littleEndian(bytes.subspan(kSerialOffset, 4)); serial != 0) {
        context.record.serial = static_cast<std::int32_t>(serial);
    }
    context.record.firmware =
        static_cast<std::int32_t>(littleEndian(bytes.subspan(kFirmwareOffset, 2)));
}

}  // namespace

std::int32_t querySpeedCode(QnDeviceContext& context) {
    std::array<std::uint8_t, kInterfaceBufferSize> interface {};
    if (!quietIoControl(context, IOCTL_ZOUSB_QUERY_INTERFACE, {}, interface)) {
        return kSpeedCodeFull;
    }
    const std::span<const std::uint8_t> bytes(interface);
    const std::uint32_t pipes = littleEndian(bytes.subspan(kInterfaceNumberOfPipesOffset, 4));
    const std::uint32_t firstPacket = littleEndian(bytes.subspan(kInterfaceFirstPipeOffset, 2));
    return pipes == kHighSpeedPipeCount && firstPacket == kHighSpeedFirstPipePacket
               ? kSpeedCodeHigh
               : kSpeedCodeFull;
}

bool identifyDevice(QnDeviceContext& context) {
    std::array<std::uint8_t, kDescriptorSize> descriptor{kDescriptorSize, 1};
    if (!exactIoControl(context, IOCTL_ZOUSB_READ_DEVICE_DESCRIPTOR, {}, descriptor)) {
        return false;
    }
    context.record.serial = 0;
    const std::uint32_t product =
        littleEndian(std::span<const std::uint8_t>(descriptor).subspan(kProductIdOffset, 2));
    if (product != kQuintelProductId) {
        context.hardwareError = QN_HW_IOCTL_FAILED;
        return false;
    }
    readInformationBlock(context);
    context.hardwareError = QN_HW_OK;
    return true;
}

}  // namespace zo::quinteldrv

#include "tools/zousbdiag/hub_connection.h"

#include <algorithm>

#include "driver/zousb_ioctl.h"
#include "platform/machine_choice.h"
#include "tools/zousbdiag/little_endian_fields.h"

namespace zousbdiag {

namespace {

constexpr std::uint8_t kInformationWordRequest = 0xF0;
constexpr std::size_t kInformationWindowBytes = 130;
constexpr std::size_t kInterfaceRecordCapacity = 1024;
constexpr std::size_t kStringDescriptorCapacity = 255;
constexpr std::size_t kConfigurationHeaderSize = 9;
constexpr std::uint32_t kHubPipeCount = 4;
constexpr std::uint16_t kHighSpeedFirstPacketSize = 512;

template <typename Record>
std::span<const std::uint8_t> recordBytes(const Record& record) {
    return {reinterpret_cast<const std::uint8_t*>(&record), sizeof(Record)};
}

}  // namespace

std::string hubDeviceName(unsigned instance) {
    return "\\\\.\\ZOUSB-" + std::to_string(instance);
}

std::string machineConfigurationError() {
    return zo::platform::machineConfigurationProblem();
}

const char* speedName(HubSpeed speed) {
    switch (speed) {
        case HubSpeed::High:
            return "high";
        case HubSpeed::Full:
            return "full";
        case HubSpeed::Unknown:
            break;
    }
    return "unknown";
}

std::optional<HubConnection> HubConnection::open(unsigned instance,
                                                 zo::platform::KernelStatus& status,
                                                 bool from32BitProcess) {
    std::optional<zo::platform::DeviceFile> file =
        zo::platform::DeviceFile::open(hubDeviceName(instance), status, {from32BitProcess});
    if (!file) {
        return std::nullopt;
    }
    return HubConnection(std::move(*file));
}

zo::platform::IoControlResult HubConnection::control(std::uint32_t code,
                                                     std::span<const std::uint8_t> input,
                                                     std::span<std::uint8_t> output) {
    return file_.control(code, input, output);
}

std::optional<std::array<std::uint8_t, 18>> HubConnection::deviceDescriptor() {
    std::array<std::uint8_t, 18> descriptor{};
    const auto result = control(IOCTL_ZOUSB_READ_DEVICE_DESCRIPTOR, {}, descriptor);
    if (!result.succeeded() || result.bytesReturned != descriptor.size()) {
        return std::nullopt;
    }
    return descriptor;
}

std::optional<std::vector<std::uint8_t>> HubConnection::configurationDescriptor() {
    std::vector<std::uint8_t> descriptor(kConfigurationHeaderSize);
    auto result = control(IOCTL_ZOUSB_READ_CONFIG_DESCRIPTOR, {}, descriptor);
    if (!result.succeeded() || result.bytesReturned != descriptor.size()) {
        return std::nullopt;
    }
    const std::uint16_t totalLength = readLe16(descriptor, 2);
    if (totalLength < kConfigurationHeaderSize) {
        return std::nullopt;
    }
    descriptor.resize(totalLength);
    result = control(IOCTL_ZOUSB_READ_CONFIG_DESCRIPTOR, {}, descriptor);
    if (!result.succeeded() || result.bytesReturned < kConfigurationHeaderSize) {
        return std::nullopt;
    }
    descriptor.resize(result.bytesReturned);
    return descriptor;
}

std::optional<std::vector<std::uint8_t>> HubConnection::stringDescriptor(std::uint8_t index,
                                                                         std::uint16_t language) {
    const ZOUSB_STRING_REQUEST request{index, 0, language};
    std::vector<std::uint8_t> descriptor(kStringDescriptorCapacity);
    const auto result =
        control(IOCTL_ZOUSB_READ_STRING_DESCRIPTOR, recordBytes(request), descriptor);
    if (!result.succeeded()) {
        return std::nullopt;
    }
    descriptor.resize(result.bytesReturned);
    return descriptor;
}

std::optional<HubSpeed> HubConnection::speed() {
    std::vector<std::uint8_t> record(kInterfaceRecordCapacity);
    const auto result = control(IOCTL_ZOUSB_QUERY_INTERFACE, {}, record);
    if (!result.succeeded()) {
        return std::nullopt;
    }
    if (result.bytesReturned < kInterfaceFirstPipeOffset + kPipeRecordSize) {
        return HubSpeed::Unknown;
    }
    const bool highSpeed = readLe32(record, kInterfaceNumberOfPipesOffset) == kHubPipeCount &&
                           readLe16(record, kInterfaceFirstPipeOffset) == kHighSpeedFirstPacketSize;
    return highSpeed ? HubSpeed::High : HubSpeed::Full;
}

std::optional<std::uint16_t> HubConnection::informationWord(std::uint16_t index) {
    const ZOUSB_CONTROL_REQUEST request{.direction = 1,
                                        .type = 2,
                                        .recipient = 0,
                                        .reserved0 = 0,
                                        .request = kInformationWordRequest,
                                        .reserved1 = 0,
                                        .value = index,
                                        .index = 0};
    std::array<std::uint8_t, 2> word{};
    const auto result = control(IOCTL_ZOUSB_CONTROL_REQUEST, recordBytes(request), word);
    if (!result.succeeded() || result.bytesReturned != word.size()) {
        return std::nullopt;
    }
    return readLe16(word, 0);
}

std::optional<std::vector<std::uint8_t>> HubConnection::informationBlockBytes() {
    const std::optional<std::uint16_t> length = informationWord(0);
    if (!length) {
        return std::nullopt;
    }
    const std::size_t wanted = std::min<std::size_t>(*length, kInformationWindowBytes);
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(*length),
                                    static_cast<std::uint8_t>(*length >> 8)};
    for (std::uint16_t index = 1; bytes.size() < wanted; ++index) {
        const std::optional<std::uint16_t> word = informationWord(index);
        if (!word) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(*word));
        bytes.push_back(static_cast<std::uint8_t>(*word >> 8));
    }
    return bytes;
}

}  // namespace zousbdiag

#include "hub/information_block.h"

namespace zo::hub {
namespace {

template <typename Value>
void putLittleEndian(std::span<std::uint8_t> bytes, std::size_t offset, Value value) {
    for (std::size_t i = 0; i < sizeof(Value); ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace

InformationBlock::InformationBlock(const HubOptions& options) {
    if (!options.hasInfoBlock) {
        return;
    }
    putLittleEndian(bytes_, 0, kBlockLength);
    bytes_[2] = 'V';
    bytes_[3] = 'I';
    bytes_[4] = 'N';
    bytes_[5] = 'F';
    putLittleEndian(bytes_, 8, options.serial);
    putLittleEndian(bytes_, 18, options.firmware);
}

std::optional<std::uint16_t> InformationBlock::word(std::uint16_t index) const {
    const std::size_t offset = 2 * std::size_t{index};
    if (offset + 1 >= bytes_.size()) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
}

}  // namespace zo::hub

#include "tools/zousbdiag/information_block.h"

#include <algorithm>
#include <array>

#include "tools/zousbdiag/little_endian_fields.h"

namespace zousbdiag {

namespace {

constexpr std::size_t kWindowBytes = 130;
constexpr std::size_t kSignatureOffset = 2;
constexpr std::array<std::uint8_t, 4> kSignature{'V', 'I', 'N', 'F'};
constexpr std::size_t kSerialOffset = 8;
constexpr std::size_t kFirmwareOffset = 18;

InformationBlock malformed(std::string problem) {
    return {InformationBlock::State::Malformed, std::nullopt, std::nullopt, std::move(problem)};
}

}  // namespace

InformationBlock decodeInformationBlock(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2) {
        return malformed("no length word");
    }
    const std::size_t length = readLe16(bytes, 0);
    if (length == 0) {
        return {};
    }
    if (length > kWindowBytes) {
        return malformed("length " + std::to_string(length) + " exceeds the " +
                         std::to_string(kWindowBytes) + "-byte window");
    }
    if (bytes.size() < length) {
        return malformed("only " + std::to_string(bytes.size()) + " of " + std::to_string(length) +
                         " bytes read");
    }
    if (length < kSignatureOffset + kSignature.size() ||
        !std::equal(kSignature.begin(), kSignature.end(), bytes.begin() + kSignatureOffset)) {
        return malformed("no \"VINF\" signature");
    }
    InformationBlock block{InformationBlock::State::Valid, std::nullopt, std::nullopt, {}};
    if (length >= kSerialOffset + 4) {
        block.serial = readLe32(bytes, kSerialOffset);
    }
    if (length >= kFirmwareOffset + 2) {
        block.firmware = readLe16(bytes, kFirmwareOffset);
    }
    return block;
}

}  // namespace zousbdiag

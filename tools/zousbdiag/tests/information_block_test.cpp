#include "tools/zousbdiag/information_block.h"

#include <gtest/gtest.h>

#include <vector>

namespace zousbdiag {
namespace {

// A block as the hub answers it: length word, "VINF", serial at 8, firmware at 18.
std::vector<std::uint8_t> block(std::uint16_t length, std::size_t bytesRead) {
    std::vector<std::uint8_t> bytes(bytesRead);
    bytes[0] = static_cast<std::uint8_t>(length);
    bytes[1] = static_cast<std::uint8_t>(length >> 8);
    const std::uint8_t fields[] = {'V', 'I', 'N', 'F', 0, 0, 0x78, 0x56, 0x34, 0x12};
    for (std::size_t i = 0; i < sizeof fields && 2 + i < bytes.size(); ++i) {
        bytes[2 + i] = fields[i];
    }
    if (bytes.size() >= 20) {
        bytes[18] = 0x10;
        bytes[19] = 0x02;
    }
    return bytes;
}

TEST(InformationBlock, DecodesSerialAndFirmwareOfACompleteBlock) {
    const InformationBlock decoded = decodeInformationBlock(block(20, 20));
    EXPECT_EQ(decoded.state, InformationBlock::State::Valid);
    EXPECT_EQ(decoded.serial, 0x12345678u);
    EXPECT_EQ(decoded.firmware, 0x0210u);
}

TEST(InformationBlock, TakesOnlyTheFieldsItsLengthCovers) {
    const InformationBlock shortBlock = decodeInformationBlock(block(12, 12));
    EXPECT_EQ(shortBlock.state, InformationBlock::State::Valid);
    EXPECT_EQ(shortBlock.serial, 0x12345678u);
    EXPECT_FALSE(shortBlock.firmware.has_value());
    const InformationBlock signatureOnly = decodeInformationBlock(block(6, 6));
    EXPECT_EQ(signatureOnly.state, InformationBlock::State::Valid);
    EXPECT_FALSE(signatureOnly.serial.has_value());
}

TEST(InformationBlock, LengthZeroMeansAbsent) {
    EXPECT_EQ(decodeInformationBlock(std::vector<std::uint8_t>{0, 0}).state,
              InformationBlock::State::Absent);
}

TEST(InformationBlock, RefusesBadLengthsSignaturesAndTruncation) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* problem;
    };
    std::vector<std::uint8_t> unsigned_ = block(20, 20);
    unsigned_[5] = 'X';
    const Case cases[] = {
        {{}, "no length word"},
        {{20}, "no length word"},
        {block(131, 130), "length 131 exceeds the 130-byte window"},
        {block(20, 10), "only 10 of 20 bytes read"},
        {block(4, 4), "no \"VINF\" signature"},
        {unsigned_, "no \"VINF\" signature"},
    };
    for (const Case& c : cases) {
        const InformationBlock decoded = decodeInformationBlock(c.bytes);
        EXPECT_EQ(decoded.state, InformationBlock::State::Malformed) << c.problem;
        EXPECT_EQ(decoded.problem, c.problem);
        EXPECT_FALSE(decoded.serial.has_value());
    }
}

}  // namespace
}  // namespace zousbdiag

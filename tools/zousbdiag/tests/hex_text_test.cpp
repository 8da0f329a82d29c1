#include "tools/zousbdiag/hex_text.h"

#include <gtest/gtest.h>

namespace zousbdiag {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(HexBytes, ReadsPairsWithOrWithoutBlanksInEitherCase) {
    EXPECT_EQ(parseHexBytes("0a1BfF").bytes, (Bytes{0x0A, 0x1B, 0xFF}));
    EXPECT_EQ(parseHexBytes("  0a 1b\tff  ").bytes, (Bytes{0x0A, 0x1B, 0xFF}));
    EXPECT_EQ(parseHexBytes("0a1b 00").bytes, (Bytes{0x0A, 0x1B, 0x00}));
    EXPECT_TRUE(parseHexBytes("").bytes.empty());
    EXPECT_TRUE(parseHexBytes("   ").error.empty());
}

TEST(HexBytes, RefusesOddDigitGroupsAndStrayCharactersWithoutPartialBytes) {
    for (const char* text : {"abc", "0a b", "0 a", "1"}) {
        const HexBytes result = parseHexBytes(text);
        EXPECT_NE(result.error.find("odd number of digits"), std::string::npos) << text;
        EXPECT_TRUE(result.bytes.empty()) << text;
    }
    for (const char* text : {"0x12", "0g", "12,34", "12-34", "ab\n"}) {
        const HexBytes result = parseHexBytes(text);
        EXPECT_NE(result.error.find("not a hexadecimal digit"), std::string::npos) << text;
        EXPECT_TRUE(result.bytes.empty()) << text;
    }
    EXPECT_EQ(parseHexBytes("12 3g").error, "'g' at position 5 is not a hexadecimal digit");
}

TEST(Numbers, ReadsDecimalAndPrefixedHexadecimalUpToTheLimit) {
    EXPECT_EQ(parseNumber("0", 7), 0u);
    EXPECT_EQ(parseNumber("7", 7), 7u);
    EXPECT_EQ(parseNumber("0x222074", UINT32_MAX), 0x222074u);
    EXPECT_EQ(parseNumber("0XfFfFfFfF", UINT32_MAX), 0xFFFFFFFFu);
    EXPECT_EQ(parseNumber("2236532", UINT32_MAX), 0x222074u);
    EXPECT_EQ(parseNumber("4294967295", UINT32_MAX), 0xFFFFFFFFu);
}

TEST(Numbers, RefusesEmptySignedOverflowingAndStrayText) {
    for (const char* text : {"", "0x", "-1", "+1", " 1", "1 ", "8", "1e3", "0x1g", "ff", "0b1",
                             "99999999999999999999"}) {
        EXPECT_FALSE(parseNumber(text, 7).has_value()) << text;
    }
    EXPECT_FALSE(parseNumber("4294967296", UINT32_MAX).has_value());
    EXPECT_FALSE(parseNumber("0x100000000", UINT32_MAX).has_value());
    EXPECT_FALSE(parseNumber("18446744073709551616", UINT64_MAX).has_value());
    EXPECT_EQ(parseNumber("18446744073709551615", UINT64_MAX), UINT64_MAX);
}

TEST(HexFormatting, PadsNumbersAndBreaksDumpsEverySixteenBytes) {
    EXPECT_EQ(hexNumber(0xAB, 4), "0x00AB");
    EXPECT_EQ(hexNumber(0xC000000D, 8), "0xC000000D");
    EXPECT_EQ(hexDump({}), "");
    const Bytes version{0x01, 0x00, 0x0A, 0x00, 0x00, 0x00};
    EXPECT_EQ(hexDump(version), "  0000  01 00 0a 00 00 00\n");
    Bytes seventeen(17, 0xEE);
    EXPECT_EQ(hexDump(seventeen),
              "  0000  ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee\n  0010  ee\n");
}

}  // namespace
}  // namespace zousbdiag

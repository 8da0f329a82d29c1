#include "tools/zousbdiag/descriptor_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace zousbdiag {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Configuration header, one interface with two endpoints (bulk OUT 512, isochronous IN 1024 with
// two extra transactions per microframe).
Bytes configuration() {
    return {9, 2, 32,   0, 1,    1,    0, 0xA0, 50,  //
            9, 4, 0,    0, 2,    0xFF, 0, 0,    0,   //
            7, 5, 0x02, 2, 0x00, 0x02, 0,            //
            7, 5, 0x88, 1, 0x00, 0x14, 1};
}

TEST(DeviceDescriptorText, NamesTheIdentifiersAndRefusesShortDescriptors) {
    const Bytes device{18,   1,    0x00, 0x02, 0xFF, 0, 0, 64, 0x4F,
                       0x5A, 0x45, 0x43, 0x00, 0x01, 1, 2, 3,  1};
    const std::string text = describeDeviceDescriptor(device);
    EXPECT_TRUE(contains(text, "idVendor            0x5A4F\n"));
    EXPECT_TRUE(contains(text, "idProduct           0x4345\n"));
    EXPECT_TRUE(contains(text, "bcdUSB              0x0200\n"));
    EXPECT_TRUE(contains(text, "bNumConfigurations  1\n"));
    EXPECT_EQ(describeDeviceDescriptor(Bytes(17, 0)), "  truncated: 17 of 18 bytes\n");
}

TEST(ConfigurationText, DecodesInterfacesAndEndpoints) {
    const std::string text = describeConfiguration(configuration());
    EXPECT_TRUE(contains(text, "bmAttributes        0xA0 (bus powered, remote wakeup)\n"));
    EXPECT_TRUE(contains(text, "bMaxPower           50 (100 mA)\n"));
    EXPECT_TRUE(contains(text,
                         "Interface 0, alternate setting 0: class 0xFF, subclass 0x00, "
                         "protocol 0x00, 2 endpoints"));
    EXPECT_TRUE(contains(text, "Endpoint 0x02 OUT bulk        max packet 512, interval 0\n"));
    EXPECT_TRUE(contains(text,
                         "Endpoint 0x88 IN  isochronous max packet 1024 x 3 per microframe, "
                         "interval 1\n"));
}

TEST(ConfigurationText, StopsAtMalformedDescriptorsInsteadOfReadingPastThem) {
    Bytes zeroLength = configuration();
    zeroLength[9] = 0;
    EXPECT_TRUE(contains(describeConfiguration(zeroLength),
                         "malformed descriptor at offset 9 (bLength 0)"));
    Bytes overrun = configuration();
    overrun[25] = 9;  // the last endpoint claims two bytes more than there are
    EXPECT_TRUE(contains(describeConfiguration(overrun), "malformed descriptor at offset 25"));

    Bytes truncated = configuration();
    truncated.resize(20);
    const std::string text = describeConfiguration(truncated);
    EXPECT_TRUE(contains(text, "only 20 of the 32 bytes were read"));
    EXPECT_TRUE(contains(text, "malformed descriptor at offset 18"));

    EXPECT_EQ(describeConfiguration(Bytes{9, 4, 0, 0, 0, 0, 0, 0, 0}),
              "  not a configuration descriptor\n");
    EXPECT_EQ(describeConfiguration(Bytes{9, 2, 0}), "  not a configuration descriptor\n");
}

TEST(StringDescriptorText, DecodesUtf16AndEscapesWhatATerminalShouldNotSee) {
    EXPECT_EQ(stringDescriptorText(Bytes{8, 3, 'Z', 0, 'o', 0, '1', 0}), "Zo1");
    EXPECT_EQ(stringDescriptorText(Bytes{2, 3}), "");
    EXPECT_EQ(stringDescriptorText(Bytes{10, 3, '"', 0, 0x1B, 0, 0xE9, 0, 0x3D, 0xD8}),
              "\\u0022\\u001B\\u00E9\\uD83D");
    // Bytes after bLength are not part of the string.
    EXPECT_EQ(stringDescriptorText(Bytes{4, 3, 'a', 0, 'b', 0}), "a");
}

TEST(StringDescriptorText, RefusesWhatIsNoStringDescriptor) {
    for (const Bytes& bytes : {Bytes{}, Bytes{4}, Bytes{4, 2, 'a', 0}, Bytes{5, 3, 'a', 0, 0},
                               Bytes{6, 3, 'a', 0}, Bytes{0, 3}}) {
        EXPECT_FALSE(stringDescriptorText(bytes).has_value());
    }
}

}  // namespace
}  // namespace zousbdiag

#include "tools/zousbdiag/settings_text.h"

#include <gtest/gtest.h>

namespace zousbdiag {
namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(SettingsText, ShowsHeaderEveryParameterPerChannelAndTheReservedWords) {
    QnDeviceSettings settings{};
    settings.size = QN_SETTINGS_SIZE;
    settings.measureInput = 4;
    settings.measureEdge = 1;
    settings.channels[0].delay = 4294967295u;
    settings.channels[7].retrigger = 1;
    const std::string text = settingsText(settings);
    EXPECT_TRUE(contains(text, "Size marker  1028\n")) << text;
    EXPECT_TRUE(contains(text, "Measurement  input 4 (channel 1 output), mode 0, edge 1\n"))
        << text;
    EXPECT_TRUE(contains(text, "Parameter           Ch0        Ch1")) << text;
    EXPECT_TRUE(contains(text, "DELAY        4294967295          0")) << text;
    EXPECT_TRUE(contains(text,
                         "RETRIGGER             0          0          0          0"
                         "          0          0          0          1\n"))
        << text;
    EXPECT_TRUE(contains(text, "Reserved     117 words, all 0\n")) << text;

    settings.size = 1024;
    settings.measureInput = 11;
    settings.reserved[5] = 3;
    const std::string odd = settingsText(settings);
    EXPECT_TRUE(contains(odd, "Size marker  1024 (not 1028)\n")) << odd;
    EXPECT_TRUE(contains(odd, "input 11 (out of range)")) << odd;
    EXPECT_TRUE(contains(odd, "Reserved     117 words, 1 not 0\n")) << odd;
}

TEST(SettingsText, NamesEverySourceNumber) {
    EXPECT_EQ(sourceName(0), "none");
    EXPECT_EQ(sourceName(1), "input A");
    EXPECT_EQ(sourceName(2), "input B");
    EXPECT_EQ(sourceName(3), "channel 0 output");
    EXPECT_EQ(sourceName(10), "channel 7 output");
    EXPECT_EQ(sourceName(11), "out of range");
}

}  // namespace
}  // namespace zousbdiag

#include "app/core/string_table.h"

#include <gtest/gtest.h>

#include "app/core/string_ids.h"
#include "app/core/text_format.h"

namespace zo::quintel {
namespace {

TEST(StringTable, ALanguageReplacesOnlyTheEntriesItCarries) {
    EXPECT_EQ(ResourceString(1), "Kestrava Quintel Signal Generator");

    InstallLanguageStrings({{1, "Kestrava Quintel Signalgenerator"}});
    EXPECT_EQ(ResourceString(1), "Kestrava Quintel Signalgenerator");
    EXPECT_EQ(ResourceString(57344), "Kestrava Quintel");
    EXPECT_EQ(ResourceString(0xFFFF'FFFF), "");

    InstallLanguageStrings({});
    EXPECT_EQ(ResourceString(1), "Kestrava Quintel Signal Generator");
}

// The program formats its texts with FormatInteger only, which knows no other placeholder.
TEST(StringTable, EveryEnglishPlaceholderIsAnInteger) {
    for (const auto& [id, text] : EnglishStrings()) {
        for (const std::string& placeholder : Placeholders(text)) {
            EXPECT_EQ(placeholder, "%d") << "string " << id;
        }
    }
    EXPECT_EQ(FormatInteger(ResourceString(ids::kChannelNumber), 3), "Channel 3");
}

}  // namespace
}  // namespace zo::quintel

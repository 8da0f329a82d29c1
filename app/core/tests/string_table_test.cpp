#include "app/core/string_table.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zo::quintel

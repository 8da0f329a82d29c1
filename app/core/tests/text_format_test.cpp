#include "app/core/text_format.h"

#include <gtest/gtest.h>

namespace zo::quintel {
namespace {

using Specs = std::vector<std::string>;

TEST(Placeholders, ListsEachPlaceholderInOrderAndSkipsEscapedPercents) {
    EXPECT_EQ(Placeholders("Channel %d"), Specs{"%d"});
    EXPECT_EQ(Placeholders("100%% of %d"), Specs{"%d"});
    EXPECT_EQ(Placeholders("%.1f Hz, %-08lld, %s"), (Specs{"%.1f", "%-08lld", "%s"}));
    EXPECT_EQ(Placeholders("no placeholder"), Specs{});
}

TEST(Placeholders, AnIncompletePercentDiffersFromEveryValidPlaceholder) {
    EXPECT_EQ(Placeholders("50%"), Specs{"%"});
    EXPECT_EQ(Placeholders("%q and %d"), (Specs{"%", "%d"}));
    EXPECT_NE(Placeholders("%"), Placeholders("%d"));
}

TEST(FormatInteger, ReplacesEveryIntegerPlaceholderAndLeavesOthersAlone) {
    EXPECT_EQ(FormatInteger("Copyright © %d Valdra, Inc.", 2031), "Copyright © 2031 Valdra, Inc.");
    EXPECT_EQ(FormatInteger("%d-%d", -4), "-4--4");
    EXPECT_EQ(FormatInteger("100%% %s %", 1), "100% %s %");
    EXPECT_EQ(FormatInteger("%%d", 1), "%d");
}

}  // namespace
}  // namespace zo::quintel

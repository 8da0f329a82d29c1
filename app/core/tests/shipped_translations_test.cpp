// Every translation shipped with the program is readable, complete and formats like English.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/core/language_table_check.h"
#include "app/core/language_text.h"

namespace zo::quintel {
namespace {

TEST(ShippedTranslations, AreCompleteAndKeepThePlaceholders) {
    int languages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QUINTEL_LANGUAGE_SOURCES)) {
        if (entry.path().extension() != ".txt") {
            continue;
        }
        ++languages;
        std::ifstream file(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        StringTable table;
        LanguageTextError error;
        ASSERT_TRUE(ParseLanguageText(text.str(), table, error))
            << entry.path() << ':' << error.line << ": " << error.message;
        LanguageTableCheck check = CheckLanguageTable(table);
        EXPECT_TRUE(check.problems.empty()) << entry.path() << ": " << check.problems.front();
        EXPECT_TRUE(check.missing.empty()) << entry.path() << ": id " << check.missing.front();
    }
    EXPECT_GE(languages, 3);
}

}  // namespace
}  // namespace zo::quintel

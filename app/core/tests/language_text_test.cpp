#include "app/core/language_text.h"

#include <gtest/gtest.h>

#include "app/core/language_table_check.h"
#include "app/core/string_ids.h"

namespace zo::quintel {
namespace {

TEST(LanguageText, ReadsEntriesEscapesCommentsAndWindowsLineEnds) {
    StringTable table;
    LanguageTextError error;
    ASSERT_TRUE(
        ParseLanguageText("\xEF\xBB\xBF# Deutsch\n"
                          "\n"
                          "1\tKestrava Quintel Signalgenerator\r\n"
                          "13802\tCopyright © %d\\nAlle Rechte vorbehalten.\n"
                          "7\ta\\tb\\\\c",
                          table, error))
        << error.message;
    EXPECT_EQ(table, (StringTable{{1, "Kestrava Quintel Signalgenerator"},
                                  {13802, "Copyright © %d\nAlle Rechte vorbehalten."},
                                  {7, "a\tb\\c"}}));
}

TEST(LanguageText, RefusesAMalformedLineNamingItAndKeepsTheTable) {
    struct Case {
        const char* text;
        std::size_t line;
        const char* message;
    };
    const Case cases[] = {
        {"1\tone\n2 two\n", 2, "no tab between the id and the text"},
        {"x1\tone\n", 1, "the id is not a decimal number from 0 to 4294967295"},
        {"-1\tone\n", 1, "the id is not a decimal number from 0 to 4294967295"},
        {"4294967296\tone\n", 1, "the id is not a decimal number from 0 to 4294967295"},
        {"\tone\n", 1, "the id is not a decimal number from 0 to 4294967295"},
        {"1\tone\\x\n", 1, "a backslash that is not \\n, \\t or \\\\"},
        {"1\tone\\", 1, "a backslash that is not \\n, \\t or \\\\"},
        {"1\t\n", 1, "the text is empty"},
        {"1\tone\n#\n1\tagain\n", 3, "id 1 is given twice"},
        {"1\t\xC0\xAF\n", 1, "the line is not UTF-8 text"},      // overlong '/'
        {"1\t\xED\xA0\x80\n", 1, "the line is not UTF-8 text"},  // surrogate
        {"1\tab\x80\n", 1, "the line is not UTF-8 text"},        // lone continuation byte
        {"1\t\xE6\x97\n", 1, "the line is not UTF-8 text"},      // cut-off sequence
    };
    for (const Case& c : cases) {
        StringTable table{{99, "kept"}};
        LanguageTextError error;
        EXPECT_FALSE(ParseLanguageText(c.text, table, error)) << c.text;
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_EQ(error.message, c.message) << c.text;
        EXPECT_EQ(table, (StringTable{{99, "kept"}}));
    }
}

TEST(LanguageText, TheEnglishTableSurvivesWritingAndReadingBack) {
    StringTable table;
    LanguageTextError error;
    ASSERT_TRUE(ParseLanguageText(FormatLanguageText(EnglishStrings()), table, error))
        << error.line << ": " << error.message;
    EXPECT_EQ(table, EnglishStrings());
}

TEST(LanguageTableCheck, RefusesUnknownIdsAndChangedPlaceholdersAndListsWhatIsMissing) {
    LanguageTableCheck check = CheckLanguageTable({
        {ids::kAppTitle, "Kestrava Quintel Signalgenerator"},
        {ids::kChannelNumber, "Kanal"},               // lost its %d
        {ids::kAboutCopyright, "© %s Valdra, Inc."},  // %s instead of %d
        {4000, "Unbekannt"},
    });
    EXPECT_EQ(check.usable, (StringTable{{ids::kAppTitle, "Kestrava Quintel Signalgenerator"}}));
    EXPECT_EQ(check.problems, (std::vector<std::string>{
                                  "id 16 does not have the placeholders of the English text",
                                  "id 4000 is not a text of the program",
                                  "id 13802 does not have the placeholders of the English text",
                              }));
    EXPECT_EQ(check.missing.size(), EnglishStrings().size() - 3);
    EXPECT_EQ(check.missing.front(), ids::kMenuAbout);
}

}  // namespace
}  // namespace zo::quintel

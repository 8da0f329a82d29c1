// quintel_langtool: the translator's tool for the program's string table.
//
//   quintel_langtool template      writes the English table in the text form of a translation
//   quintel_langtool check FILE    checks a translation: exit status 1 when it cannot be read or
//                                  holds an entry the program would refuse; ids without a
//                                  translation are listed and keep their English text

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "app/core/language_table_check.h"
#include "app/core/language_text.h"

namespace {

using zo::quintel::StringTable;

constexpr const char* kUsage =
    "usage: quintel_langtool template\n"
    "       quintel_langtool check FILE\n";

int writeTemplate() {
    std::cout << "# Translation of the Kestrava Quintel signal generator: one entry per line, the\n"
                 "# resource id, a tab, the text. \\n is a line break, \\t a tab, \\\\ a "
                 "backslash.\n"
                 "# Keep every %d: the program puts a number there.\n"
              << zo::quintel::FormatLanguageText(zo::quintel::EnglishStrings());
    return 0;
}

int check(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::cerr << path << ": cannot be read\n";
        return 1;
    }
    std::ostringstream content;
    content << file.rdbuf();

    StringTable table;
    zo::quintel::LanguageTextError error;
    if (!zo::quintel::ParseLanguageText(content.str(), table, error)) {
        std::cerr << path << ':' << error.line << ": " << error.message << '\n';
        return 1;
    }
    zo::quintel::LanguageTableCheck result = zo::quintel::CheckLanguageTable(table);
    for (const std::string& problem : result.problems) {
        std::cerr << path << ": " << problem << '\n';
    }
    for (std::uint32_t id : result.missing) {
        std::cerr << path << ": id " << id << " has no translation and stays English: "
                  << zo::quintel::EnglishStrings().at(id) << '\n';
    }
    return result.problems.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "template" && argc == 2) {
        return writeTemplate();
    }
    if (command == "check" && argc == 3) {
        return check(argv[2]);
    }
    std::cerr << kUsage;
    return 2;
}

#include "app/core/language_text.h"

#include <charconv>
#include <cstdint>
#include <optional>

namespace zo::quintel {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The length of the UTF-8 sequence at text[i], or 0 when it is not a valid one (overlong forms,
// surrogates and values above U+10FFFF included).
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    std::uint32_t value = 0;
    std::uint32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1Fu, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0Fu, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07u, smallest = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (byte(i + k) & 0x3Fu);
    }
    bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < smallest || surrogate || value > 0x10FFFF ? 0 : length;
}

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

std::optional<std::string> unescape(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            result += text[i];
            continue;
        }
        if (++i == text.size()) {
            return std::nullopt;
        }
        switch (text[i]) {
            case 'n':
                result += '\n';
                break;
            case 't':
                result += '\t';
                break;
            case '\\':
                result += '\\';
                break;
            default:
                return std::nullopt;
        }
    }
    return result;
}

std::string escape(std::string_view text) {
    std::string result;
    for (char c : text) {
        switch (c) {
            case '\n':
                result += "\\n";
                break;
            case '\t':
                result += "\\t";
                break;
            case '\\':
                result += "\\\\";
                break;
            default:
                result += c;
        }
    }
    return result;
}

// Describes what is wrong with one entry line, or adds it to the table.
std::optional<std::string> parseEntry(std::string_view line, StringTable& table) {
    std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
        return "no tab between the id and the text";
    }
    std::string_view idText = line.substr(0, tab);
    std::uint32_t id = 0;
    auto [end, status] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
    if (idText.empty() || status != std::errc{} || end != idText.data() + idText.size()) {
        return "the id is not a decimal number from 0 to 4294967295";
    }
    std::optional<std::string> text = unescape(line.substr(tab + 1));
    if (!text) {
        return "a backslash that is not \\n, \\t or \\\\";
    }
    if (text->empty()) {
        return "the text is empty";
    }
    if (!table.emplace(id, std::move(*text)).second) {
        return "id " + std::to_string(id) + " is given twice";
    }
    return std::nullopt;
}

}  // namespace

bool ParseLanguageText(std::string_view text, StringTable& table, LanguageTextError& error) {
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    StringTable parsed;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.empty() || line.starts_with('#')) {
            continue;
        }
        std::optional<std::string> problem =
            isUtf8(line) ? parseEntry(line, parsed) : "the line is not UTF-8 text";
        if (problem) {
            error = {lineNumber, std::move(*problem)};
            return false;
        }
    }
    table = std::move(parsed);
    return true;
}

std::string FormatLanguageText(const StringTable& table) {
    std::string text;
    for (const auto& [id, entry] : table) {
        text += std::to_string(id) + '\t' + escape(entry) + '\n';
    }
    return text;
}

}  // namespace zo::quintel

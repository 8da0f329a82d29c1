#include "app/core/text_format.h"

namespace zo::quintel {
namespace {

constexpr std::string_view kFlags = "-+ #0";
constexpr std::string_view kLengthModifiers = "hljztL";
constexpr std::string_view kConversions = "diouxXeEfFgGaAcspn";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of the placeholder that starts with the '%' at text[start], or 1 when none
// completes.
std::size_t placeholderLength(std::string_view text, std::size_t start) {
    std::size_t i = start + 1;
    while (i < text.size() && kFlags.find(text[i]) != std::string_view::npos) {
        ++i;
    }
    while (i < text.size() && (isDigit(text[i]) || text[i] == '*')) {
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && (isDigit(text[i]) || text[i] == '*')) {
            ++i;
        }
    }
    while (i < text.size() && kLengthModifiers.find(text[i]) != std::string_view::npos) {
        ++i;
    }
    if (i < text.size() && kConversions.find(text[i]) != std::string_view::npos) {
        return i + 1 - start;
    }
    return 1;
}

}  // namespace

std::vector<std::string> Placeholders(std::string_view text) {
    std::vector<std::string> found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t length = placeholderLength(text, i);
        found.emplace_back(text.substr(i, length));
        i += length - 1;
    }
    return found;
}

std::string FormatInteger(std::string_view pattern, long long value) {
    std::string result;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == 'd') {
                result += std::to_string(value);
                ++i;
                continue;
            }
            if (pattern[i + 1] == '%') {
                result += '%';
                ++i;
                continue;
            }
        }
        result += pattern[i];
    }
    return result;
}

}  // namespace zo::quintel

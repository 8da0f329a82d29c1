#include "tools/zousbdiag/channel_modes.h"

#include <algorithm>
#include <cctype>

namespace zousbdiag {

std::optional<std::uint32_t> parseModeName(std::string_view text) {
    const auto sameLetter = [](char typed, char name) {
        const char folded =
            typed == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(typed)));
        return folded == name;
    };
    for (const ModeInfo& mode : kModes) {
        if (std::ranges::equal(text, std::string_view(mode.typed), sameLetter)) {
            return mode.number;
        }
    }
    return std::nullopt;
}

}  // namespace zousbdiag

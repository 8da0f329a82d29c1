#include "setup/version_numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace zo::setup {
namespace {

// The decimal digits at the start of `text` as a number (0 when there are none), like atoi but
// without sign or spaces; none when the number does not fit.
std::optional<std::int64_t> leadingNumber(std::string_view text) {
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error == std::errc::result_out_of_range) {
        return std::nullopt;
    }
    return (error == std::errc{} && !text.starts_with('-')) ? number : 0;
}

}  // namespace

std::optional<std::uint32_t> setupVersionValue(std::string_view text) {
    if (text.size() < 7) {
        return std::nullopt;
    }
    const auto digit = [&](std::size_t position) {
        return static_cast<std::int32_t>(static_cast<signed char>(text[position])) - '0';
    };
    const std::int32_t value =
        10000 * digit(0) + 1000 * digit(2) + 100 * digit(3) + 10 * digit(5) + digit(6);
    return static_cast<std::uint32_t>(value);
}

int matlabReleaseNumber(std::string_view name) {
    if (name.empty() || name.front() < '0' || name.front() > '9') {
        return 0;
    }
    const auto point = name.find('.');
    const auto major = leadingNumber(name.substr(0, point));
    const auto minor = point == std::string_view::npos ? std::optional<std::int64_t>(0)
                                                       : leadingNumber(name.substr(point + 1));
    if (!major || !minor) {
        return 0;
    }
    const std::int64_t number = *major * 100 + *minor;
    return number <= std::numeric_limits<int>::max() ? static_cast<int>(number) : 0;
}

int labviewVersionNumber(std::string_view text) {
    const auto start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return 0;
    }
    double version = 0;
    const auto [end, error] =
        std::from_chars(text.data() + start, text.data() + text.size(), version);
    if (error != std::errc{}) {
        return 0;
    }
    const double scaled = (version + 0.001) * 100;
    if (!std::isfinite(scaled) || scaled >= static_cast<double>(std::numeric_limits<int>::max()) ||
        scaled <= static_cast<double>(std::numeric_limits<int>::min())) {
        return 0;
    }
    return static_cast<int>(scaled);
}

}  // namespace zo::setup

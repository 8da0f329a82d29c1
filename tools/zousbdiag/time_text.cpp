#include "tools/zousbdiag/time_text.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <limits>

#include "tools/zousbdiag/hex_text.h"

namespace zousbdiag {

namespace {

// Wide enough for 20 significant digits times a unit of 10^9 ns, doubled for rounding.
__extension__ using Wide = unsigned __int128;

constexpr std::uint64_t kTicksPerSecond = 1'000'000'000 / kNanosecondsPerTick;
constexpr std::size_t kMaxDigits = 20;

struct Unit {
    std::string_view name;  // lower case
    std::uint64_t factor;   // nanoseconds per unit, or hertz per unit for a rate
    bool rate;
};

constexpr std::array<Unit, 9> kUnits = {{
    {"s", 1'000'000'000, false},
    {"ms", 1'000'000, false},
    {"us", 1'000, false},
    {"\xC2\xB5s", 1'000, false},  // micro sign
    {"\xCE\xBCs", 1'000, false},  // Greek small letter mu
    {"ns", 1, false},
    {"hz", 1, true},
    {"khz", 1'000, true},
    {"mhz", 1'000'000, true},
}};

// A decimal number m × 10^-scale followed by a unit.
struct Quantity {
    Wide mantissa = 0;
    unsigned scale = 0;
    const Unit* unit = nullptr;
};

Wide powerOfTen(unsigned exponent) {
    Wide value = 1;
    for (unsigned i = 0; i < exponent; ++i) {
        value *= 10;
    }
    return value;
}

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

std::size_t numberLength(std::string_view text) {
    std::size_t length = 0;
    while (length < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[length])) || text[length] == '.')) {
        ++length;
    }
    return length;
}

std::optional<Quantity> parseQuantity(std::string_view text, std::string& error) {
    const std::size_t length = numberLength(text);
    const std::string_view number = text.substr(0, length);
    std::string unitName(text.substr(length));
    for (char& c : unitName) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    Quantity quantity;
    for (const Unit& unit : kUnits) {
        if (unit.name == unitName) {
            quantity.unit = &unit;
        }
    }
    if (quantity.unit == nullptr) {
        error = quoted(text) + " has no unit this tool knows (s, ms, us, ns, Hz, kHz, MHz)";
        return std::nullopt;
    }
    bool seenPoint = false;
    std::size_t digits = 0;
    for (const char c : number) {
        if (c == '.') {
            if (seenPoint) {
                digits = 0;
                break;
            }
            seenPoint = true;
            continue;
        }
        quantity.mantissa = quantity.mantissa * 10 + static_cast<unsigned>(c - '0');
        quantity.scale += seenPoint ? 1 : 0;
        ++digits;
    }
    if (digits == 0 || digits > kMaxDigits) {
        error = quoted(text) + " is not a number with a unit, such as 250us or 10kHz";
        return std::nullopt;
    }
    return quantity;
}

// numerator / denominator to the nearest whole number, halves up.
Wide roundedQuotient(Wide numerator, Wide denominator) {
    return (2 * numerator + denominator) / (2 * denominator);
}

std::string decimalText(std::uint64_t whole, std::uint64_t fraction, unsigned fractionDigits) {
    std::string text = std::to_string(whole);
    if (fraction == 0) {
        return text;
    }
    std::string digits = std::to_string(fraction);
    digits.insert(0, fractionDigits - digits.size(), '0');
    digits.erase(digits.find_last_not_of('0') + 1);
    return text + "." + digits;
}

}  // namespace

bool hasUnit(std::string_view text) {
    if (text.starts_with("0x") || text.starts_with("0X")) {
        return false;
    }
    const std::size_t length = numberLength(text);
    return length > 0 && length < text.size();
}

std::optional<TickValue> parseTicks(std::string_view text, std::string& error) {
    const std::optional<Quantity> quantity = parseQuantity(text, error);
    if (!quantity) {
        return std::nullopt;
    }
    // Ticks as a fraction: a time of m × 10^-scale units, or the period of such a rate.
    Wide numerator = quantity->mantissa * quantity->unit->factor;
    Wide denominator = powerOfTen(quantity->scale) * kNanosecondsPerTick;
    if (quantity->unit->rate) {
        if (quantity->mantissa == 0) {
            error = quoted(text) + " is no rate: a period needs a rate above 0 Hz";
            return std::nullopt;
        }
        numerator = Wide{kTicksPerSecond} * powerOfTen(quantity->scale);
        denominator = quantity->mantissa * quantity->unit->factor;
    }
    const Wide ticks = roundedQuotient(numerator, denominator);
    if (ticks > std::numeric_limits<std::uint32_t>::max()) {
        error = quoted(text) + " is longer than the longest time, 4294967295 ticks (" +
                ticksText(std::numeric_limits<std::uint32_t>::max()) + ")";
        return std::nullopt;
    }
    TickValue value{static_cast<std::uint32_t>(ticks), quantity->unit->rate, {}};
    if (numerator % denominator != 0) {
        value.note = std::string(text) + (value.rate ? " has a period of" : " is") +
                     " no whole number of 20 ns ticks: it becomes " + std::to_string(value.ticks) +
                     (value.ticks == 1 ? " tick (" : " ticks (") + ticksText(value.ticks);
        if (value.rate && value.ticks > 0) {
            value.note += ", " + rateText(static_cast<double>(kTicksPerSecond) / value.ticks);
        }
        value.note += ")";
    }
    return value;
}

std::optional<std::uint32_t> parseMilliseconds(std::string_view text, std::uint32_t max,
                                               std::string& error) {
    const std::string range = " from 1 to " + std::to_string(max) + " ms";
    if (!hasUnit(text)) {
        const std::optional<std::uint64_t> number = parseNumber(text, max);
        if (!number) {
            error = quoted(text) + " is not a duration" + range;
        }
        return number ? std::optional(static_cast<std::uint32_t>(*number)) : std::nullopt;
    }
    const std::optional<Quantity> quantity = parseQuantity(text, error);
    if (!quantity) {
        return std::nullopt;
    }
    if (quantity->unit->rate) {
        error = quoted(text) + " is a rate, not a duration";
        return std::nullopt;
    }
    const Wide nanoseconds = quantity->mantissa * quantity->unit->factor;
    const Wide perMillisecond = powerOfTen(quantity->scale) * 1'000'000;
    if (nanoseconds % perMillisecond != 0) {
        error = quoted(text) + " is not a whole number of milliseconds";
        return std::nullopt;
    }
    const Wide milliseconds = nanoseconds / perMillisecond;
    if (milliseconds > max) {
        error = quoted(text) + " is not a duration" + range;
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(milliseconds);
}

std::string durationText(std::uint64_t nanoseconds) {
    struct Step {
        std::uint64_t size;
        unsigned digits;
        const char* name;
    };
    static constexpr std::array<Step, 3> kSteps = {{
        {1'000'000'000, 9, "s"},
        {1'000'000, 6, "ms"},
        {1'000, 3, "us"},
    }};
    for (const Step& step : kSteps) {
        if (nanoseconds >= step.size) {
            return decimalText(nanoseconds / step.size, nanoseconds % step.size, step.digits) +
                   step.name;
        }
    }
    return std::to_string(nanoseconds) + "ns";
}

std::string ticksText(std::uint64_t ticks) {
    return durationText(ticks * kNanosecondsPerTick);
}

std::string rateText(double hertz) {
    const char* unit = "Hz";
    if (hertz >= 1e6) {
        hertz /= 1e6;
        unit = "MHz";
    } else if (hertz >= 1e3) {
        hertz /= 1e3;
        unit = "kHz";
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.6g", hertz);
    return std::string(text.data()) + unit;
}

}  // namespace zousbdiag

#include "hub/device_list.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <string_view>

namespace zo::hub {
namespace {

// Above half the hub's 50 MHz clock a square wave cannot be represented, and a later simulation
// of it would have to step through an unbounded number of edges.
constexpr double kMaxInputHz = 25'000'000.0;

// The driver names its devices \\.\ZOUSB-0 to \\.\ZOUSB-7: a ninth hub would get no name.
constexpr std::size_t kMaxHubs = 8;

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

// Decimal or 0x-hexadecimal, digits only, no sign.
std::optional<std::uint64_t> parseUnsigned(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return number;
}

// Digits with an optional fraction: "1000", "2500.5". No sign, exponent, inf or nan.
std::optional<double> parseFrequency(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    const auto allDigits = [](std::string_view part) {
        return part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (whole.empty() || !allDigits(whole) || !allDigits(fraction) ||
        (point != std::string_view::npos && fraction.empty())) {
        return std::nullopt;
    }
    double hertz = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), hertz);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(hertz)) {
        return std::nullopt;
    }
    return hertz;
}

class EntryParser {
  public:
    EntryParser(std::size_t number, std::string_view text) : number_(number), text_(text) {}

    // Fills `hub` from the entry; on failure returns false and leaves the reason in error().
    bool parse(HubOptions& hub) {
        if (text_.empty()) {
            return fail("is empty");
        }
        const std::size_t colon = text_.find(':');
        if (text_.substr(0, colon) != "sim") {
            return fail("must be 'sim', optionally followed by ':' and key=value options");
        }
        if (colon == std::string_view::npos) {
            return true;
        }
        std::vector<std::string_view> seen;
        for (const std::string_view option : split(text_.substr(colon + 1), ',')) {
            const std::size_t equals = option.find('=');
            if (equals == std::string_view::npos || equals == 0 || equals + 1 == option.size()) {
                return fail("option '" + std::string(option) + "' is not key=value");
            }
            const std::string_view key = option.substr(0, equals);
            for (const std::string_view earlier : seen) {
                if (earlier == key) {
                    return fail("option '" + std::string(key) + "' is given twice");
                }
            }
            seen.push_back(key);
            if (!apply(hub, key, option.substr(equals + 1))) {
                return false;
            }
        }
        return true;
    }

    const std::string& error() const { return error_; }

  private:
    bool apply(HubOptions& hub, std::string_view key, std::string_view value) {
        if (key == "speed") {
            if (value == "high" || value == "full") {
                hub.speed = value == "high" ? zo::usb::Speed::High : zo::usb::Speed::Full;
                return true;
            }
            return fail("speed must be 'high' or 'full', not '" + std::string(value) + "'");
        }
        if (key == "pid") {
            return integer(key, value, 0xFFFF, hub.productId);
        }
        if (key == "info") {
            if (value == "0" || value == "1") {
                hub.hasInfoBlock = value == "1";
                return true;
            }
            return fail("info must be 0 or 1, not '" + std::string(value) + "'");
        }
        if (key == "serial") {
            return integer(key, value, std::numeric_limits<std::uint32_t>::max(), hub.serial);
        }
        if (key == "firmware") {
            return integer(key, value, 0xFFFF, hub.firmware);
        }
        if (key == "a") {
            return frequency(key, value, hub.inputAHz);
        }
        if (key == "b") {
            return frequency(key, value, hub.inputBHz);
        }
        return fail("unknown option '" + std::string(key) +
                    "' (known: speed, pid, info, serial, firmware, a, b)");
    }

    template <typename Field>
    bool integer(std::string_view key, std::string_view value, std::uint64_t maximum,
                 Field& field) {
        const std::optional<std::uint64_t> number = parseUnsigned(value);
        if (!number) {
            return fail(std::string(key) + " '" + std::string(value) +
                        "' is not a decimal or 0x-hexadecimal number");
        }
        if (*number > maximum) {
            return fail(std::string(key) + " '" + std::string(value) + "' is out of range (0 to " +
                        std::to_string(maximum) + ")");
        }
        field = static_cast<Field>(*number);
        return true;
    }

    bool frequency(std::string_view key, std::string_view value, double& field) {
        const std::optional<double> hertz = parseFrequency(value);
        if (!hertz) {
            return fail(std::string(key) + " '" + std::string(value) +
                        "' is not a frequency in hertz (digits with an optional decimal fraction)");
        }
        if (*hertz > kMaxInputHz) {
            return fail(std::string(key) + " '" + std::string(value) +
                        "' is out of range (0 to 25000000 hertz)");
        }
        field = *hertz;
        return true;
    }

    bool fail(const std::string& problem) {
        error_ = "ZOUSB_DEVICES entry " + std::to_string(number_) + " '" + std::string(text_) +
                 "': " + problem;
        return false;
    }

    std::size_t number_;
    std::string_view text_;
    std::string error_;
};

}  // namespace

DeviceList parseDeviceList(const char* value) noexcept {
    try {
        DeviceList list;
        if (value == nullptr) {
            list.hubs.emplace_back();
            return list;
        }
        const std::string_view text(value);
        if (text.empty()) {
            return list;
        }
        const std::vector<std::string_view> entries = split(text, ';');
        if (entries.size() > kMaxHubs) {
            return DeviceList{{},
                              "ZOUSB_DEVICES lists " + std::to_string(entries.size()) +
                                  " hubs; a machine takes at most 8 hubs (\\\\.\\ZOUSB-0 to "
                                  "\\\\.\\ZOUSB-7)"};
        }
        std::size_t number = 1;
        for (const std::string_view entry : entries) {
            EntryParser parser(number++, entry);
            HubOptions hub;
            if (!parser.parse(hub)) {
                return DeviceList{{}, parser.error()};
            }
            list.hubs.push_back(hub);
        }
        return list;
    } catch (const std::bad_alloc&) {
        return DeviceList{{}, "out of memory"};
    }
}

}  // namespace zo::hub

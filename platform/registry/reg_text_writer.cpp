#include "platform/registry/reg_text_writer.h"

#include <algorithm>
#include <array>

#include "platform/registry/reg_document.h"

namespace zo::platform::registry {
namespace {

constexpr std::size_t kHexBytesPerLine = 24;

std::string quoted(std::string_view text) {
    std::string result = "\"";
    result.reserve(text.size() + 2);
    while (true) {
        // Plain runs are copied whole: a hive may hold megabytes of text.
        const auto special = text.find_first_of("\\\"");
        result.append(text.substr(0, special));
        if (special == std::string_view::npos) {
            return result + '"';
        }
        result += '\\';
        result += text[special];
        text.remove_prefix(special + 1);
    }
}

// A string value can be written in the quoted form when reading that form back gives the same
// bytes: printable text, one terminating zero and nothing after it.
bool hasQuotedForm(const RegistryValue& value) {
    if (value.type != REG_SZ || value.data.empty() || value.data.back() != 0) {
        return false;
    }
    return std::none_of(value.data.begin(), value.data.end() - 1,
                        [](std::uint8_t byte) { return byte < 0x20 || byte == 0x7f; });
}

std::string hexDigits(std::uint32_t number, int width) {
    constexpr std::array<char, 16> kDigits = {'0', '1', '2', '3', '4', '5', '6', '7',
                                              '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[number & 0xF]);
        number >>= 4;
    } while (number != 0 || static_cast<int>(digits.size()) < width);
    return digits;
}

std::string hexForm(const RegistryValue& value) {
    std::string text = value.type == REG_BINARY ? "hex:" : "hex(" + hexDigits(value.type, 1) + "):";
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        if (i > 0) {
            text += (i % kHexBytesPerLine == 0) ? ",\\\n  " : ",";
        }
        text += hexDigits(value.data[i], 2);
    }
    return text;
}

std::string dataForm(const RegistryValue& value) {
    if (hasQuotedForm(value)) {
        return quoted(textOf(value));
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        const auto& d = value.data;
        return "dword:" +
               hexDigits(static_cast<std::uint32_t>(d[0] | d[1] << 8 | d[2] << 16 | d[3] << 24), 8);
    }
    return hexForm(value);
}

void writeKey(std::string& text, const KeyNode& key, const std::string& keyPath) {
    text += "\n[" + keyPath + "]\n";
    for (const auto& [name, value] : key.values) {
        text += (name.empty() ? "@" : quoted(name)) + "=" + dataForm(value) + "\n";
    }
    for (const auto& [name, subkey] : key.subkeys) {
        writeKey(text, *subkey, keyPath + "\\" + name);
    }
}

}  // namespace

std::string writeRegText(const KeyNode& key, std::string_view keyPath) {
    std::string text(kRegFileHeader);
    text += '\n';
    writeKey(text, key, std::string(keyPath));
    return text;
}

}  // namespace zo::platform::registry

#include "platform/registry/reg_text_parser.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <utility>

#include "platform/registry/key_name.h"

namespace zo::platform::registry {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool consumePrefix(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

std::optional<std::uint32_t> hexNumber(std::string_view digits, std::size_t maxDigits) {
    std::uint32_t number = 0;
    if (digits.empty() || digits.size() > maxDigits) {
        return std::nullopt;
    }
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), number, 16);
    if (error != std::errc{} || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return number;
}

class RegTextParser {
  public:
    explicit RegTextParser(std::string_view text) : rest_(text) {}

    Outcome<RegDocument> parse() {
        if (rest_.size() > kMaxRegTextSize) {
            return Failure{ERROR_REGISTRY_CORRUPT, "the file is larger than 16 MiB"};
        }
        if (rest_.find('\0') != std::string_view::npos) {
            return Failure{ERROR_REGISTRY_CORRUPT,
                           "the file contains zero bytes (binary, or UTF-16 which is not read)"};
        }
        consumePrefix(rest_, kUtf8ByteOrderMark);
        if (auto failure = readHeader()) {
            return std::move(*failure);
        }
        while (auto line = nextLine()) {
            const auto content = trimmed(*line);
            if (content.empty() || content.front() == ';') {
                continue;
            }
            auto failure = content.front() == '[' ? readKeyLine(content) : readValueLine(content);
            if (failure) {
                return std::move(*failure);
            }
        }
        return std::move(document_);
    }

  private:
    std::optional<std::string_view> nextLine() {
        if (rest_.empty()) {
            return std::nullopt;
        }
        const auto end = rest_.find('\n');
        auto line = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        ++lineNumber_;
        return line;
    }

    Failure refuse(std::string reason) const {
        return {ERROR_REGISTRY_CORRUPT, "line " + std::to_string(lineNumber_) + ": " + reason};
    }

    std::optional<Failure> readHeader() {
        while (auto line = nextLine()) {
            const auto content = trimmed(*line);
            if (content.empty()) {
                continue;
            }
            if (content == kRegFileHeader) {
                return std::nullopt;
            }
            break;
        }
        return refuse("not a registry file: the first line must be \"" +
                      std::string(kRegFileHeader) + "\"");
    }

    std::optional<Failure> readKeyLine(std::string_view content) {
        if (!content.ends_with(']')) {
            return refuse("a key line must end with ']'");
        }
        auto inside = content.substr(1, content.size() - 2);
        const bool remove = consumePrefix(inside, "-");
        auto path = splitKeyPath(inside);
        if (!path || path->empty()) {
            return refuse("invalid key name \"" + std::string(inside.substr(0, 80)) + "\"");
        }
        document_.blocks.push_back({lineNumber_, std::move(*path), remove, {}});
        return std::nullopt;
    }

    std::optional<Failure> readValueLine(std::string_view content) {
        if (document_.blocks.empty()) {
            return refuse("a value appears before any key");
        }
        ValueLine valueLine;
        if (!consumePrefix(content, "@")) {
            auto name = readQuoted(content);
            if (!name) {
                return refuse("a value line must begin with @ or a quoted name");
            }
            if (name->empty() || name->size() > kMaxValueNameLength) {
                return refuse("invalid value name length");
            }
            valueLine.name = std::move(*name);
        }
        content = trimmed(content);
        if (!consumePrefix(content, "=")) {
            return refuse("'=' expected after the value name");
        }
        content = trimmed(content);
        if (content != "-") {
            auto value = readData(content);
            if (!value.ok()) {
                return value.failure();
            }
            valueLine.value = std::move(value.value());
        }
        auto& block = document_.blocks.back();
        if (block.remove) {
            return refuse("values cannot follow a key that is removed");
        }
        block.values.push_back(std::move(valueLine));
        return std::nullopt;
    }

    // A quoted text with the escapes \\ and \"; consumes it from `content`.
    static std::optional<std::string> readQuoted(std::string_view& content) {
        if (!consumePrefix(content, "\"")) {
            return std::nullopt;
        }
        std::string text;
        while (true) {
            // Plain runs are taken whole: a hive may hold megabytes of text.
            const auto special = content.find_first_of("\"\\");
            if (special == std::string_view::npos) {
                return std::nullopt;
            }
            text.append(content.substr(0, special));
            if (content[special] == '"') {
                content.remove_prefix(special + 1);
                return text;
            }
            if (special + 1 == content.size() ||
                (content[special + 1] != '\\' && content[special + 1] != '"')) {
                return std::nullopt;
            }
            text += content[special + 1];
            content.remove_prefix(special + 2);
        }
    }

    Outcome<RegistryValue> readData(std::string_view content) {
        if (content.starts_with('"')) {
            auto text = readQuoted(content);
            if (!text || !trimmed(content).empty()) {
                return refuse("malformed quoted text (only \\\\ and \\\" are escapes)");
            }
            if (text->size() >= kMaxValueDataSize) {
                return refuse("value data larger than 1 MiB");
            }
            return textValue(REG_SZ, *text);
        }
        if (consumePrefix(content, "dword:")) {
            const auto number = hexNumber(content, 8);
            if (!number) {
                return refuse("dword: needs one to eight hexadecimal digits");
            }
            return dwordValue(*number);
        }
        DWORD type = REG_BINARY;
        if (consumePrefix(content, "hex(")) {
            const auto close = content.find(')');
            const auto number = hexNumber(content.substr(0, close), 8);
            if (close == std::string_view::npos || !number) {
                return refuse("hex(type) needs a hexadecimal type number");
            }
            type = *number;
            content.remove_prefix(close + 1);
        } else if (!content.starts_with("hex")) {
            return refuse("unknown value data; expected \"text\", dword:, hex: or hex(type):");
        } else {
            content.remove_prefix(3);
        }
        if (!consumePrefix(content, ":")) {
            return refuse("':' expected after hex");
        }
        return readHexBytes(type, content);
    }

    // Comma-separated bytes of two hexadecimal digits; a trailing backslash continues the list on
    // the next line.
    Outcome<RegistryValue> readHexBytes(DWORD type, std::string_view content) {
        RegistryValue value{type, {}};
        while (true) {
            content = trimmed(content);
            const bool continues = consumeSuffix(content, "\\");
            while (!(content = trimmed(content)).empty()) {
                const auto comma = content.find(',');
                const auto byte = hexNumber(trimmed(content.substr(0, comma)), 2);
                if (!byte) {
                    return refuse("hex data must be bytes of two hexadecimal digits");
                }
                if (value.data.size() == kMaxValueDataSize) {
                    return refuse("value data larger than 1 MiB");
                }
                value.data.push_back(static_cast<std::uint8_t>(*byte));
                content.remove_prefix(comma == std::string_view::npos ? content.size() : comma + 1);
            }
            if (!continues) {
                return value;
            }
            const auto next = nextLine();
            if (!next) {
                return refuse("the hex data continues past the end of the file");
            }
            content = *next;
        }
    }

    static bool consumeSuffix(std::string_view& text, std::string_view suffix) {
        if (!text.ends_with(suffix)) {
            return false;
        }
        text.remove_suffix(suffix.size());
        return true;
    }

    std::string_view rest_;
    std::size_t lineNumber_ = 0;
    RegDocument document_;
};

}  // namespace

Outcome<RegDocument> parseRegText(std::string_view text) {
    return RegTextParser(text).parse();
}

}  // namespace zo::platform::registry

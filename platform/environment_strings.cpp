#include "platform/environment_strings.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/registry/key_name.h"

namespace zo::platform {

std::optional<std::string> environmentVariable(std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    if (const char* exact = std::getenv(std::string(name).c_str()); exact != nullptr) {
        return exact;
    }
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view definition = *entry;
        const auto equals = definition.find('=');
        if (equals != std::string_view::npos &&
            registry::equalIgnoringCase(definition.substr(0, equals), name)) {
            return std::string(definition.substr(equals + 1));
        }
    }
    return std::nullopt;
}

std::string expandEnvironmentStrings(std::string_view text) {
    std::string result;
    while (!text.empty()) {
        const auto open = text.find('%');
        result += text.substr(0, open);
        if (open == std::string_view::npos) {
            break;
        }
        text.remove_prefix(open);
        const auto close = text.find('%', 1);
        const auto value = close == std::string_view::npos
                               ? std::nullopt
                               : environmentVariable(text.substr(1, close - 1));
        if (value) {
            result += *value;
            text.remove_prefix(close + 1);
        } else {
            // The '%' stays; its would-be closing '%' may still open a variable.
            result += '%';
            text.remove_prefix(1);
        }
    }
    return result;
}

}  // namespace zo::platform

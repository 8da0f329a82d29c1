#pragma once
// Key and value names compare without regard to case, as on Windows (ASCII letters only: texts are
// narrow UTF-8 strings, and other letters compare exactly).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zo::platform::registry {

bool equalIgnoringCase(std::string_view a, std::string_view b);

struct LessIgnoringCase {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

// Splits "A\B\C" into its key names. Refuses (nullopt) an empty name between backslashes, a name
// longer than Windows allows, a control character, or more levels than Windows allows. An empty
// path gives no names.
std::optional<std::vector<std::string>> splitKeyPath(std::string_view path);

std::string joinKeyPath(const std::vector<std::string>& names);

}  // namespace zo::platform::registry

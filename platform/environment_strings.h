#pragma once
// Environment strings with the Windows rules: variable names compare without regard to case, and
// %NAME% in a text is replaced by the variable's value. A name that is not defined, or a '%' with
// no closing one, stays as written.

#include <optional>
#include <string>
#include <string_view>

namespace zo::platform {

std::optional<std::string> environmentVariable(std::string_view name);

std::string expandEnvironmentStrings(std::string_view text);

}  // namespace zo::platform

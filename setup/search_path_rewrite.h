#pragma once
// The rewrite of the system search path that replaces an entry relative to %VALDRACOMMON% by an
// explicit one. Both tests are plain case-sensitive substring searches, so a new entry that is part
// of a longer one (C:\X inside C:\XY) already counts as present.

#include <optional>
#include <string>
#include <string_view>

namespace zo::setup {

// None when nothing is to change: the old entry is absent and the new one present. Otherwise the
// old entry is cut out through its following ';' (or to the end), and a missing new entry is
// appended after a ';' (unless the text is empty or ends in one) and followed by ';'.
std::optional<std::string> rewriteSearchPath(std::string text, std::string_view oldEntry,
                                             std::string_view newEntry);

}  // namespace zo::setup

#pragma once
// The text of reg query, laid out as the Windows command lays it out:
//
//   (blank line)
//   HKEY_CURRENT_USER\Software\Valdra            the key, when it has values to show
//       Name    REG_SZ    Quintel
//   (blank line)
//   HKEY_CURRENT_USER\Software\Valdra\Sub        its subkeys, one a line
//
// With /s every key below follows with its values, each closed by a blank line; with /v and /s
// only the keys holding the value, then "End of search: N match(es) found.".

#include <optional>
#include <string>

#include "platform/registry/key_node.h"

namespace zo::tools::reg {

struct QueryRequest {
    std::string keyName;                   // as shown: HKEY_CURRENT_USER\Software\Valdra
    std::optional<std::string> valueName;  // /v NAME, "" for /ve
    bool recursive = false;                // /s
};

struct QueryText {
    std::string text;
    bool found = true;  // false: /v names a value the key lacks, or /s /v found none
};

QueryText queryText(const platform::registry::KeyNode& key, const QueryRequest& request);

}  // namespace zo::tools::reg

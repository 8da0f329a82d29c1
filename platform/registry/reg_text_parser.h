#pragma once
// Reads .reg text. Every damaged or hostile input is refused with ERROR_REGISTRY_CORRUPT and a
// message naming the line and the fault; nothing in the input can make the parser read outside the
// text, recurse, or allocate beyond the documented size limits.

#include <string_view>

#include "platform/registry/outcome.h"
#include "platform/registry/reg_document.h"

namespace zo::platform::registry {

Outcome<RegDocument> parseRegText(std::string_view text);

}  // namespace zo::platform::registry

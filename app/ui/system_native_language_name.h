#pragma once
// The name of a language in itself ("日本語", "русский") from the system's locale data, for the
// language table's display names.

#include <string>

#include "app/core/languages.h"

namespace zo::quintel {

// UTF-8; empty when the locale data has no name for the language's locale. Fits
// NativeLanguageName.
std::string SystemNativeLanguageName(const Language& language);

}  // namespace zo::quintel

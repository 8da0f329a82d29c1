#pragma once
// The language the user chose, as an index into the language table (app/core/languages.h),
// stored as the REG_DWORD "Language": the user's own value, else the installer's preset.

#include <cstdint>

namespace zo::quintel {

// The user's "Language" when it can be read and is not -1 (all bits set); else the machine-wide
// preset when it can be read; -1 or nothing read gives 0 (English). Any other value is returned
// as it is: an index outside the table simply names no language file.
std::int32_t ReadLanguageIndex();

// Stores the user's "Language"; does nothing when the user's settings key does not open.
void WriteLanguageIndex(std::int32_t index);

}  // namespace zo::quintel

#pragma once
// The suite's narrow texts (the ANSI code page, as the A functions of Windows take them) as the
// UTF-16 texts of the W functions, and back.

#include <string>
#include <string_view>

namespace zo::host::win32 {

std::wstring widened(std::string_view text);
std::string narrowed(std::wstring_view text);

}  // namespace zo::host::win32

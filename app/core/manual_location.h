#pragma once
// Where the user manual is: Manual.pdf in the folder Docs of the installation folder that the
// installer recorded as "AppPath". Relative results are relative to the current folder.

#include <optional>
#include <string>

namespace zo::quintel {

// The machine-wide "AppPath" (REG_SZ, at most 260 bytes) with a '/' appended when it lacks one;
// empty when the value is missing or empty. None when the machine-wide key does not open.
std::optional<std::string> ReadAppPath();

// The folder of the manual, fixed at start-up: "<AppPath>/Docs/"; "Docs/" when the machine-wide
// key has no "AppPath"; empty (the current folder) without the machine-wide key.
std::string ManualFolder();

// The manual in a manual folder: the folder followed by "Manual.pdf".
std::string ManualPath(const std::string& manualFolder);

}  // namespace zo::quintel

#pragma once
// The texts the About dialog shows beside the program's name: version, user and company, as the
// installer recorded them machine-wide, with the program's own defaults.

#include <string>

namespace zo::quintel {

struct VersionInfo {
    std::string version = "1.00.00";
    std::string user = "Guest";
    std::string company = "Valdra, Inc.";
};

// The defaults, each replaced by the machine-wide "Version", "User" or "Company" (REG_SZ, at most
// 128 bytes) that can be read.
VersionInfo ReadVersionInfo();

}  // namespace zo::quintel

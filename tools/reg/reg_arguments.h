#pragma once
// The command line of the reg tool, in the style of the Windows reg command:
//   reg query  KEY [/v NAME | /ve] [/s]
//   reg add    KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]
//   reg delete KEY [/v NAME | /ve | /va] /f
//   reg export KEY FILE [/y]
//   reg import FILE
// each with /reg:32 or /reg:64 to choose the registry view. Options are recognised by their exact
// names in any case (also with '-' for '/'); everything else is a key or a file, so Linux paths
// that begin with '/' work as files.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/registry/registry_types.h"

namespace zo::tools::reg {

enum class Operation { Query, Add, Delete, Export, Import };

struct RegArguments {
    Operation operation = Operation::Query;
    std::string keyName;
    std::string file;
    std::optional<std::string> valueName;  // /v NAME, or "" for /ve
    bool allValues = false;                // /va
    std::string type = "REG_SZ";           // /t
    std::string data;                      // /d
    bool force = false;                    // /f (add, delete) or /y (export)
    bool recursive = false;                // /s
    platform::registry::REGSAM view = 0;   // KEY_WOW64_32KEY or KEY_WOW64_64KEY
};

// The parsed command, or a message saying what is wrong with the command line.
std::variant<RegArguments, std::string> parseRegArguments(
    const std::vector<std::string>& arguments);

inline constexpr const char* kRegUsage =
    "usage: reg query  KEY [/v NAME | /ve] [/s]\n"
    "       reg add    KEY [/v NAME | /ve] [/t REG_SZ|REG_EXPAND_SZ|REG_DWORD|REG_BINARY] [/d "
    "DATA] "
    "[/f]\n"
    "       reg delete KEY [/v NAME | /ve | /va] /f\n"
    "       reg export KEY FILE [/y]\n"
    "       reg import FILE\n"
    "KEY begins with HKCU, HKLM or HKCR (or HKEY_CURRENT_USER, ...). Every command takes /reg:32 "
    "or\n"
    "/reg:64 to use the 32-bit or 64-bit registry view. The hives are in $ZO_REGISTRY_DIR.\n";

}  // namespace zo::tools::reg

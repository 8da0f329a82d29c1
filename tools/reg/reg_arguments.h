#pragma once
// The command line of the reg tool, in the style of the Windows reg command:
//   reg query  KEY [/v NAME | /ve] [/s]
//   reg add    KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]
//   reg delete KEY [/v NAME | /ve | /va] [/f]
//   reg export KEY FILE [/y]
//   reg import FILE
// each with /reg:32 or /reg:64 to choose the registry view, and /? for its usage. Options are
// recognised by their exact names in any case (also with '-' for '/'); everything else is a key
// or a file, so Linux paths that begin with '/' work as files. An option given twice, or two
// that exclude each other, is a syntax error, as on Windows.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/registry/registry_types.h"

namespace zo::tools::reg {

enum class Operation { Query, Add, Delete, Export, Import };

// "QUERY", as the usage and the error texts name it.
const char* operationName(Operation operation);

struct RegArguments {
    std::optional<Operation> operation;  // none only for "reg /?"
    bool help = false;                   // /? (or /h): show the usage and do nothing else
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

// Why the command line was refused, in the Windows wording ("Invalid syntax.", "Invalid
// argument/option - 'x'."), and which operation's usage to point to (none: reg's own).
struct SyntaxError {
    std::string message;
    std::optional<Operation> operation;
};

std::variant<RegArguments, SyntaxError> parseRegArguments(
    const std::vector<std::string>& arguments);

}  // namespace zo::tools::reg

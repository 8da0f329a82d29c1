#include "tools/reg/reg_arguments.h"

#include <array>
#include <utility>

#include "platform/registry/key_name.h"

namespace zo::tools::reg {
namespace {

using platform::registry::equalIgnoringCase;

struct OperationName {
    std::string_view name;
    Operation operation;
    std::size_t positionals;  // key and/or file
};

constexpr std::array<OperationName, 5> kOperations = {{
    {"query", Operation::Query, 1},
    {"add", Operation::Add, 1},
    {"delete", Operation::Delete, 1},
    {"export", Operation::Export, 2},
    {"import", Operation::Import, 1},
}};

bool isOption(std::string_view argument, std::string_view name) {
    return argument.size() == name.size() + 1 && (argument[0] == '/' || argument[0] == '-') &&
           equalIgnoringCase(argument.substr(1), name);
}

}  // namespace

std::variant<RegArguments, std::string> parseRegArguments(
    const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return std::string("no operation given");
    }
    const OperationName* operation = nullptr;
    for (const auto& candidate : kOperations) {
        if (equalIgnoringCase(arguments[0], candidate.name)) {
            operation = &candidate;
        }
    }
    if (operation == nullptr) {
        return "unknown operation \"" + arguments[0] + "\"";
    }
    RegArguments parsed;
    parsed.operation = operation->operation;
    std::vector<std::string> positionals;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const auto& argument = arguments[i];
        const auto takeValue = [&](std::string& target) {
            if (i + 1 == arguments.size()) {
                return false;
            }
            target = arguments[++i];
            return true;
        };
        if (isOption(argument, "v")) {
            if (!takeValue(parsed.valueName.emplace())) {
                return std::string("/v needs a value name");
            }
        } else if (isOption(argument, "ve")) {
            parsed.valueName = "";
        } else if (isOption(argument, "va")) {
            parsed.allValues = true;
        } else if (isOption(argument, "t")) {
            if (!takeValue(parsed.type)) {
                return std::string("/t needs a type");
            }
        } else if (isOption(argument, "d")) {
            if (!takeValue(parsed.data)) {
                return std::string("/d needs data");
            }
        } else if (isOption(argument, "f") || isOption(argument, "y")) {
            parsed.force = true;
        } else if (isOption(argument, "s")) {
            parsed.recursive = true;
        } else if (isOption(argument, "reg:32")) {
            parsed.view = platform::registry::KEY_WOW64_32KEY;
        } else if (isOption(argument, "reg:64")) {
            parsed.view = platform::registry::KEY_WOW64_64KEY;
        } else {
            positionals.push_back(argument);
        }
    }
    if (positionals.size() != operation->positionals) {
        return std::string("wrong number of keys or files for ") + std::string(operation->name);
    }
    if (parsed.operation == Operation::Import) {
        parsed.file = positionals[0];
    } else {
        parsed.keyName = positionals[0];
        if (parsed.operation == Operation::Export) {
            parsed.file = positionals[1];
        }
    }
    return parsed;
}

}  // namespace zo::tools::reg

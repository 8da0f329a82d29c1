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
    {"QUERY", Operation::Query, 1},
    {"ADD", Operation::Add, 1},
    {"DELETE", Operation::Delete, 1},
    {"EXPORT", Operation::Export, 2},
    {"IMPORT", Operation::Import, 1},
}};

bool isOption(std::string_view argument, std::string_view name) {
    return argument.size() == name.size() + 1 && (argument[0] == '/' || argument[0] == '-') &&
           equalIgnoringCase(argument.substr(1), name);
}

bool isHelp(std::string_view argument) {
    return isOption(argument, "?") || isOption(argument, "h");
}

class Parser {
  public:
    Parser(const std::vector<std::string>& arguments, Operation operation) : arguments_(arguments) {
        parsed_.operation = operation;
    }

    // Empty when every argument was taken.
    std::string readOptions() {
        for (next_ = 1; next_ < arguments_.size(); ++next_) {
            if (std::string problem = readOne(arguments_[next_]); !problem.empty()) {
                return problem;
            }
        }
        return {};
    }

    RegArguments& parsed() { return parsed_; }
    std::vector<std::string>& positionals() { return positionals_; }

  private:
    static constexpr const char* kInvalidSyntax = "Invalid syntax.";

    std::string readOne(const std::string& argument) {
        if (isOption(argument, "v")) {
            if (parsed_.valueName || next_ + 1 == arguments_.size()) {
                return kInvalidSyntax;
            }
            parsed_.valueName = arguments_[++next_];
        } else if (isOption(argument, "ve")) {
            return once(parsed_.valueName.has_value(), [&] { parsed_.valueName = ""; });
        } else if (isOption(argument, "va")) {
            return once(parsed_.allValues, [&] { parsed_.allValues = true; });
        } else if (isOption(argument, "t") || isOption(argument, "d")) {
            bool& seen = isOption(argument, "t") ? seenType_ : seenData_;
            if (seen || next_ + 1 == arguments_.size()) {
                return kInvalidSyntax;
            }
            seen = true;
            (isOption(argument, "t") ? parsed_.type : parsed_.data) = arguments_[++next_];
        } else if (isOption(argument, "f") || isOption(argument, "y")) {
            return once(parsed_.force, [&] { parsed_.force = true; });
        } else if (isOption(argument, "s")) {
            return once(parsed_.recursive, [&] { parsed_.recursive = true; });
        } else if (isOption(argument, "reg:32") || isOption(argument, "reg:64")) {
            const auto view = isOption(argument, "reg:32") ? platform::registry::KEY_WOW64_32KEY
                                                           : platform::registry::KEY_WOW64_64KEY;
            return once(parsed_.view != 0, [&] { parsed_.view = view; });
        } else if (isHelp(argument)) {
            parsed_.help = true;
        } else {
            positionals_.push_back(argument);
        }
        return {};
    }

    template <typename Take>
    static std::string once(bool seen, Take take) {
        if (seen) {
            return kInvalidSyntax;
        }
        take();
        return {};
    }

    const std::vector<std::string>& arguments_;
    std::size_t next_ = 1;
    RegArguments parsed_;
    std::vector<std::string> positionals_;
    bool seenType_ = false;
    bool seenData_ = false;
};

}  // namespace

const char* operationName(Operation operation) {
    for (const auto& candidate : kOperations) {
        if (candidate.operation == operation) {
            return candidate.name.data();
        }
    }
    return "";
}

std::variant<RegArguments, SyntaxError> parseRegArguments(
    const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return SyntaxError{"Invalid syntax.", std::nullopt};
    }
    if (arguments.size() == 1 && isHelp(arguments[0])) {
        RegArguments help;
        help.help = true;
        return help;
    }
    const OperationName* operation = nullptr;
    for (const auto& candidate : kOperations) {
        if (equalIgnoringCase(arguments[0], candidate.name)) {
            operation = &candidate;
        }
    }
    if (operation == nullptr) {
        return SyntaxError{"Invalid argument/option - '" + arguments[0] + "'.", std::nullopt};
    }
    Parser parser(arguments, operation->operation);
    if (std::string problem = parser.readOptions(); !problem.empty()) {
        return SyntaxError{std::move(problem), operation->operation};
    }
    RegArguments& parsed = parser.parsed();
    const std::vector<std::string>& positionals = parser.positionals();
    if (parsed.help) {
        return parsed;
    }
    const bool exclusive = parsed.allValues && parsed.valueName.has_value();
    if (positionals.size() != operation->positionals || exclusive) {
        return SyntaxError{"Invalid syntax.", operation->operation};
    }
    if (operation->operation == Operation::Import) {
        parsed.file = positionals[0];
    } else {
        parsed.keyName = positionals[0];
        if (operation->operation == Operation::Export) {
            parsed.file = positionals[1];
        }
    }
    return parsed;
}

}  // namespace zo::tools::reg

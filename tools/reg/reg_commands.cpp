#include "tools/reg/reg_commands.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/registry/key_access.h"
#include "platform/registry/reg_document.h"
#include "platform/registry/reg_exchange.h"
#include "tools/reg/reg_arguments.h"
#include "tools/reg/reg_query.h"
#include "tools/reg/reg_usage.h"
#include "tools/reg/value_text.h"

namespace zo::tools::reg {
namespace {

namespace registry = platform::registry;
using registry::Failure;

constexpr const char* kSuccess = "The operation completed successfully.\n";
constexpr registry::LSTATUS kCancelled = 1223;  // ERROR_CANCELLED
constexpr registry::LSTATUS kCannotOpenFile = registry::ERROR_CANTREAD;
// A search that found nothing: its output says so, and the exit status is 1.
constexpr registry::LSTATUS kNothingFound = registry::ERROR_NO_MORE_ITEMS;

// The Windows text of a status, then the stand-in's own explanation when it has one.
std::string describe(const Failure& failure) {
    std::string text;
    switch (failure.status) {
        case registry::ERROR_FILE_NOT_FOUND:
        case registry::ERROR_KEY_DELETED:
            text = "The system was unable to find the specified registry key or value.";
            break;
        case registry::ERROR_ACCESS_DENIED:
            text = "Access is denied.";
            break;
        case kCancelled:
            text = "The operation was canceled by the user.";
            break;
        case kCannotOpenFile:
            text = "Error opening the file. There may be a disk or file system error.";
            break;
        default:
            text = "Error accessing the registry.";
            break;
    }
    return failure.message.empty() ? text : text + "\n" + failure.message;
}

// "HKEY_CURRENT_USER\Software\Valdra" for "hkcu\Software\Valdra\": the full root name, the rest
// as typed; none when the name does not begin with a root.
std::optional<std::string> shownKeyName(std::string_view typed) {
    const auto names = registry::splitKeyPath(typed);
    if (!names || names->empty()) {
        return std::nullopt;
    }
    const auto root = registry::rootNamed(names->front());
    if (!root) {
        return std::nullopt;
    }
    std::string shown(registry::rootName(*root));
    for (std::size_t i = 1; i < names->size(); ++i) {
        shown += "\\" + (*names)[i];
    }
    return shown;
}

// A key name may end in one backslash, as on Windows.
std::string_view withoutTrailingBackslash(std::string_view name) {
    return name.ends_with('\\') ? name.substr(0, name.size() - 1) : name;
}

class RegCommand {
  public:
    RegCommand(const RegArguments& arguments, std::istream& in, std::ostream& out)
        : arguments_(arguments), in_(in), out_(out) {}

    // Empty when the key name (and for add the value) is fine, else the syntax complaint.
    std::string checkSyntax() {
        if (*arguments_.operation == Operation::Import) {
            return {};
        }
        const std::string_view typed = withoutTrailingBackslash(arguments_.keyName);
        auto location = registry::locateKeyName(typed, arguments_.view);
        const std::optional<std::string> shown = shownKeyName(typed);
        if (!shown) {
            return "Invalid key name.";
        }
        shownName_ = *shown;
        if (!location.ok()) {
            // A well-formed name of a key too deep for its hive: refused when the command runs.
            locationFailure_ = location.failure();
            return {};
        }
        location_ = std::move(location.value());
        if (*arguments_.operation == Operation::Add) {
            value_ = parseValue(arguments_.type, arguments_.data);
            if (!value_) {
                return valueProblem();
            }
        }
        return {};
    }

    Failure run() {
        if (locationFailure_) {
            return *locationFailure_;
        }
        switch (*arguments_.operation) {
            case Operation::Query:
                return query();
            case Operation::Add:
                return add();
            case Operation::Delete:
                return remove();
            case Operation::Export:
                return exportKey();
            case Operation::Import:
                return import();
        }
        return {};
    }

  private:
    // Asks on out; true for an answer that begins with y or Y. No answer (end of input) is no.
    bool confirmed(const std::string& question) {
        out_ << question << " (Yes/No)? " << std::flush;
        std::string answer;
        if (!std::getline(in_, answer)) {
            out_ << '\n';
            return false;
        }
        return !answer.empty() && (answer.front() == 'y' || answer.front() == 'Y');
    }

    Failure query() {
        QueryText result;
        const Failure failure = registry::readKey(*location_, [&](const registry::KeyNode& key) {
            result = queryText(key, {shownName_, arguments_.valueName, arguments_.recursive});
            return registry::ERROR_SUCCESS;
        });
        if (failure.status != registry::ERROR_SUCCESS) {
            return failure;
        }
        if (!result.found && !arguments_.recursive) {
            return {registry::ERROR_FILE_NOT_FOUND, {}};
        }
        out_ << result.text;
        return result.found ? Failure{} : Failure{kNothingFound, {}};
    }

    Failure add() {
        bool created = false;
        if (auto failure = registry::createKeyAt(*location_, created);
            failure.status != registry::ERROR_SUCCESS || !arguments_.valueName) {
            return failure;
        }
        const std::string& name = *arguments_.valueName;
        if (!arguments_.force && !created && valueExists(name) &&
            !confirmed("Value " + (name.empty() ? std::string("(Default)") : name) +
                       " exists, overwrite")) {
            return {kCancelled, {}};
        }
        return registry::changeKey(*location_, [&](registry::KeyNode& key) {
            key.values.insert_or_assign(name, *value_);
            return registry::ERROR_SUCCESS;
        });
    }

    std::string valueProblem() const {
        if (!isKnownType(arguments_.type)) {
            return "Invalid syntax. Give /t as REG_SZ, REG_EXPAND_SZ, REG_DWORD or REG_BINARY.";
        }
        return registry::equalIgnoringCase(arguments_.type, "REG_BINARY")
                   ? "Invalid syntax. Specify hexadecimal digit pairs for '/d'."
                   : "Invalid syntax. Specify valid numeric value for '/d'.";
    }

    bool valueExists(const std::string& name) const {
        bool exists = false;
        registry::readKey(*location_, [&](const registry::KeyNode& key) {
            exists = key.values.contains(name);
            return registry::ERROR_SUCCESS;
        });
        return exists;
    }

    Failure remove() {
        const bool wholeKey = !arguments_.valueName && !arguments_.allValues;
        if (!arguments_.force) {
            const std::string question =
                wholeKey ? "Permanently delete the registry key " + shownName_
                : arguments_.allValues
                    ? "Delete all values under the registry key " + shownName_
                    : "Delete the registry value " + (arguments_.valueName->empty()
                                                          ? std::string("(Default)")
                                                          : *arguments_.valueName);
            if (!confirmed(question)) {
                return {kCancelled, {}};
            }
        }
        if (wholeKey) {
            return registry::removeKeyAt(*location_, true);
        }
        return registry::changeKey(*location_, [&](registry::KeyNode& key) {
            if (arguments_.allValues) {
                key.values.clear();
                return registry::ERROR_SUCCESS;
            }
            const auto found = key.values.find(*arguments_.valueName);
            if (found == key.values.end()) {
                return registry::ERROR_FILE_NOT_FOUND;
            }
            key.values.erase(found);
            return registry::ERROR_SUCCESS;
        });
    }

    Failure exportKey() {
        auto text = registry::exportKey(arguments_.keyName, arguments_.view);
        if (!text.ok()) {
            return text.failure();
        }
        std::error_code ignored;
        if (std::filesystem::exists(arguments_.file, ignored) && !arguments_.force &&
            !confirmed("File " + arguments_.file + " already exists. Overwrite")) {
            return {kCancelled, {}};
        }
        std::ofstream file(arguments_.file, std::ios::binary | std::ios::trunc);
        if (!(file << text.value()) || !file.flush()) {
            return {kCannotOpenFile, "cannot write " + arguments_.file};
        }
        return {};
    }

    Failure import() {
        std::error_code error;
        const auto size = std::filesystem::file_size(arguments_.file, error);
        if (error) {
            return {kCannotOpenFile, "cannot open " + arguments_.file};
        }
        if (size > registry::kMaxRegTextSize) {
            return {registry::ERROR_REGISTRY_CORRUPT, arguments_.file + " is larger than 16 MiB"};
        }
        std::ifstream file(arguments_.file, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(file), {}};
        auto failure = registry::importRegText(text, arguments_.view);
        if (!failure.message.empty()) {
            failure.message = arguments_.file + ": " + failure.message;
        }
        return failure;
    }

    const RegArguments& arguments_;
    std::istream& in_;
    std::ostream& out_;
    std::optional<registry::KeyLocation> location_;
    std::optional<Failure> locationFailure_;
    std::string shownName_;
    std::optional<registry::RegistryValue> value_;  // add
};

}  // namespace

int runReg(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
           std::ostream& err) {
    const auto parsed = parseRegArguments(arguments);
    if (const auto* problem = std::get_if<SyntaxError>(&parsed)) {
        err << "ERROR: " << problem->message << '\n' << usageHint(problem->operation) << '\n';
        return 1;
    }
    const auto& command = std::get<RegArguments>(parsed);
    if (command.help) {
        out << usageText(command.operation);
        return 0;
    }
    RegCommand run(command, in, out);
    if (const std::string problem = run.checkSyntax(); !problem.empty()) {
        err << "ERROR: " << problem << '\n' << usageHint(command.operation) << '\n';
        return 1;
    }
    const auto failure = run.run();
    if (failure.status != registry::ERROR_SUCCESS) {
        if (failure.status != kNothingFound) {
            err << "ERROR: " << describe(failure) << '\n';
        }
        return 1;
    }
    if (command.operation != Operation::Query) {
        out << kSuccess;
    }
    return 0;
}

}  // namespace zo::tools::reg

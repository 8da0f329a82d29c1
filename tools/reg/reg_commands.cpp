#include "tools/reg/reg_commands.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/registry/key_access.h"
#include "platform/registry/reg_document.h"
#include "platform/registry/reg_exchange.h"
#include "tools/reg/reg_arguments.h"
#include "tools/reg/value_text.h"

namespace zo::tools::reg {
namespace {

namespace registry = platform::registry;
using registry::Failure;

constexpr const char* kSuccess = "The operation completed successfully.\n";

std::string describe(const Failure& failure) {
    if (!failure.message.empty()) {
        return failure.message;
    }
    switch (failure.status) {
        case registry::ERROR_FILE_NOT_FOUND:
        case registry::ERROR_KEY_DELETED:
            return "The system was unable to find the specified registry key or value.";
        case registry::ERROR_ACCESS_DENIED:
            return "Access is denied.";
        default:
            return "registry error " + std::to_string(failure.status);
    }
}

class RegCommand {
  public:
    RegCommand(const RegArguments& arguments, std::ostream& out)
        : arguments_(arguments), out_(out) {}

    Failure run() {
        if (arguments_.operation == Operation::Import) {
            return import();
        }
        auto location = registry::locateKeyName(arguments_.keyName, arguments_.view);
        if (!location.ok()) {
            return location.failure();
        }
        location_ = std::move(location.value());
        switch (arguments_.operation) {
            case Operation::Query:
                return registry::readKey(*location_, [&](const registry::KeyNode& key) {
                    return query(key, arguments_.keyName);
                });
            case Operation::Add:
                return add();
            case Operation::Delete:
                return remove();
            default:
                return exportKey();
        }
    }

  private:
    registry::LSTATUS query(const registry::KeyNode& key, const std::string& name) {
        out_ << '\n' << name << '\n';
        for (const auto& [valueName, value] : key.values) {
            if (!arguments_.valueName ||
                registry::equalIgnoringCase(*arguments_.valueName, valueName)) {
                out_ << "    " << (valueName.empty() ? "(Default)" : valueName) << "    "
                     << typeName(value.type) << "    " << displayData(value) << '\n';
            }
        }
        if (arguments_.valueName && !key.values.contains(*arguments_.valueName)) {
            return registry::ERROR_FILE_NOT_FOUND;
        }
        for (const auto& [subkeyName, subkey] : key.subkeys) {
            const auto subkeyPath = name + '\\' + subkeyName;
            if (arguments_.recursive) {
                query(*subkey, subkeyPath);
            } else if (!arguments_.valueName) {
                out_ << subkeyPath << '\n';
            }
        }
        return registry::ERROR_SUCCESS;
    }

    Failure add() {
        const auto value = parseValue(arguments_.type, arguments_.data);
        if (!value) {
            return {registry::ERROR_INVALID_PARAMETER,
                    "invalid type \"" + arguments_.type + "\" or data \"" + arguments_.data + "\""};
        }
        bool created = false;
        if (auto failure = registry::createKeyAt(*location_, created);
            failure.status != registry::ERROR_SUCCESS || !arguments_.valueName) {
            return failure;
        }
        const auto& name = *arguments_.valueName;
        bool refused = false;
        const auto failure = registry::changeKey(*location_, [&](registry::KeyNode& key) {
            refused = key.values.contains(name) && !arguments_.force;
            if (!refused) {
                key.values.insert_or_assign(name, *value);
            }
            return refused ? registry::ERROR_ACCESS_DENIED : registry::ERROR_SUCCESS;
        });
        return refused ? Failure{registry::ERROR_ACCESS_DENIED,
                                 "the value \"" + name + "\" exists; add /f to overwrite it"}
                       : failure;
    }

    Failure remove() {
        if (!arguments_.force) {
            return {registry::ERROR_ACCESS_DENIED, "deleting needs /f to confirm"};
        }
        if (!arguments_.valueName && !arguments_.allValues) {
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
        std::error_code ignored;
        if (std::filesystem::exists(arguments_.file, ignored) && !arguments_.force) {
            return {registry::ERROR_ACCESS_DENIED,
                    arguments_.file + " exists; add /y to overwrite it"};
        }
        auto text = registry::exportKey(arguments_.keyName, arguments_.view);
        if (!text.ok()) {
            return text.failure();
        }
        std::ofstream file(arguments_.file, std::ios::binary | std::ios::trunc);
        if (!(file << text.value()) || !file.flush()) {
            return {registry::ERROR_CANTWRITE, "cannot write " + arguments_.file};
        }
        return {};
    }

    Failure import() {
        std::error_code error;
        const auto size = std::filesystem::file_size(arguments_.file, error);
        if (error) {
            return {registry::ERROR_FILE_NOT_FOUND, "cannot open " + arguments_.file};
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
    std::ostream& out_;
    std::optional<registry::KeyLocation> location_;
};

}  // namespace

int runReg(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const auto parsed = parseRegArguments(arguments);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        err << "ERROR: " << *problem << '\n' << kRegUsage;
        return 1;
    }
    const auto& command = std::get<RegArguments>(parsed);
    const auto failure = RegCommand(command, out).run();
    if (failure.status != registry::ERROR_SUCCESS) {
        err << "ERROR: " << describe(failure) << '\n';
        return 1;
    }
    if (command.operation != Operation::Query) {
        out << kSuccess;
    }
    return 0;
}

}  // namespace zo::tools::reg

#include "tools/reg/reg_query.h"

#include "tools/reg/value_text.h"

namespace zo::tools::reg {
namespace {

namespace registry = platform::registry;

std::string valueLine(const std::string& name, const std::string& type, const std::string& data) {
    return "    " + (name.empty() ? std::string("(Default)") : name) + "    " + type + "    " +
           data + "\n";
}

std::string valueLine(const std::string& name, const registry::RegistryValue& value) {
    return valueLine(name, typeName(value.type), displayData(value));
}

std::string valueLines(const registry::KeyNode& key) {
    std::string lines;
    for (const auto& [name, value] : key.values) {
        lines += valueLine(name, value);
    }
    return lines;
}

// /s: the key (when it has values, or always below the top), its values and a blank line, then
// every subkey the same way.
void listTree(const registry::KeyNode& key, const std::string& name, bool top, std::string& text) {
    if (!key.values.empty() || !top) {
        text += name + "\n" + valueLines(key) + "\n";
    }
    for (const auto& [subkeyName, subkey] : key.subkeys) {
        listTree(*subkey, name + "\\" + subkeyName, false, text);
    }
}

// /v NAME /s: every key of the tree that holds the value.
std::size_t searchTree(const registry::KeyNode& key, const std::string& name,
                       const std::string& valueName, std::string& text) {
    std::size_t matches = 0;
    if (const auto value = key.values.find(valueName); value != key.values.end()) {
        text += name + "\n" + valueLine(value->first, value->second) + "\n";
        ++matches;
    }
    for (const auto& [subkeyName, subkey] : key.subkeys) {
        matches += searchTree(*subkey, name + "\\" + subkeyName, valueName, text);
    }
    return matches;
}

}  // namespace

QueryText queryText(const registry::KeyNode& key, const QueryRequest& request) {
    QueryText result{"\n", true};
    if (request.valueName && request.recursive) {
        const std::size_t matches =
            searchTree(key, request.keyName, *request.valueName, result.text);
        result.text += "End of search: " + std::to_string(matches) + " match(es) found.\n";
        result.found = matches > 0;
        return result;
    }
    if (request.valueName) {
        const auto value = key.values.find(*request.valueName);
        if (value != key.values.end()) {
            result.text += request.keyName + "\n" + valueLine(value->first, value->second) + "\n";
        } else if (request.valueName->empty()) {
            result.text +=
                request.keyName + "\n" + valueLine("", "REG_SZ", "(value not set)") + "\n";
        } else {
            result.found = false;
        }
        return result;
    }
    if (request.recursive) {
        listTree(key, request.keyName, true, result.text);
        return result;
    }
    if (!key.values.empty()) {
        result.text += request.keyName + "\n" + valueLines(key) + "\n";
    }
    for (const auto& [subkeyName, subkey] : key.subkeys) {
        result.text += request.keyName + "\\" + subkeyName + "\n";
    }
    return result;
}

}  // namespace zo::tools::reg

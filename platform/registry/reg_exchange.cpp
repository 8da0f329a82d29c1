#include "platform/registry/reg_exchange.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "platform/registry/imported_text.h"
#include "platform/registry/key_access.h"
#include "platform/registry/key_location.h"
#include "platform/registry/reg_text_parser.h"
#include "platform/registry/reg_text_writer.h"

namespace zo::platform::registry {
namespace {

struct PlacedBlock {
    KeyLocation location;
    const KeyBlock* block;
};

// String values written as UTF-16 bytes become UTF-8 text; the first that cannot is the failure.
std::optional<Failure> convertTextValues(RegDocument& document) {
    for (auto& block : document.blocks) {
        for (auto& line : block.values) {
            if (!line.value) {
                continue;
            }
            if (const auto refusal = convertImportedText(*line.value)) {
                return Failure{ERROR_REGISTRY_CORRUPT, "line " + std::to_string(block.line) +
                                                           ": value \"" + line.name +
                                                           "\" of this key: " + *refusal};
            }
        }
    }
    return std::nullopt;
}

}  // namespace

Outcome<std::string> exportKey(std::string_view keyName, REGSAM access) {
    const auto location = locateKeyName(keyName, access);
    if (!location.ok()) {
        return location.failure();
    }
    // The top key is named as the caller spelled it, with the root's full name.
    auto names = *splitKeyPath(keyName);
    names.front() = rootName(*rootNamed(names.front()));
    std::string text;
    const auto failure = readKey(location.value(), [&](const KeyNode& key) {
        text = writeRegText(key, joinKeyPath(names));
        return ERROR_SUCCESS;
    });
    if (failure.status != ERROR_SUCCESS) {
        return failure;
    }
    return text;
}

Failure importRegText(std::string_view text, REGSAM access) {
    auto document = parseRegText(text);
    if (!document.ok()) {
        return document.failure();
    }
    if (auto failure = convertTextValues(document.value())) {
        return std::move(*failure);
    }
    std::vector<PlacedBlock> placed;
    for (const auto& block : document.value().blocks) {
        const auto location = locateKeyName(joinKeyPath(block.path), access);
        if (!location.ok()) {
            auto failure = location.failure();
            failure.message = "line " + std::to_string(block.line) + ": " + failure.message;
            return failure;
        }
        placed.push_back({location.value(), &block});
    }
    for (const Hive hive : {Hive::CurrentUser, Hive::LocalMachine}) {
        const auto touched = [&](const PlacedBlock& entry) { return entry.location.hive == hive; };
        if (std::ranges::none_of(placed, touched)) {
            continue;
        }
        const auto failure = hiveFile(hive).update([&](KeyNode& root) {
            for (const auto& entry : placed) {
                if (touched(entry)) {
                    applyKeyBlock(root, entry.location.path, *entry.block);
                }
            }
            return ERROR_SUCCESS;
        });
        if (failure.status != ERROR_SUCCESS) {
            return failure;
        }
    }
    return {};
}

}  // namespace zo::platform::registry

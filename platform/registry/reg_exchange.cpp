#include "platform/registry/reg_exchange.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/registry/key_access.h"
#include "platform/registry/key_location.h"
#include "platform/registry/reg_text_parser.h"
#include "platform/registry/reg_text_writer.h"

namespace zo::platform::registry {
namespace {

Failure unknownKey(std::string_view keyName) {
    return {ERROR_INVALID_PARAMETER,
            "\"" + std::string(keyName) +
                "\" is not a key name; it must begin with HKCU, HKLM, HKCR or their long forms"};
}

struct PlacedBlock {
    KeyLocation location;
    const KeyBlock* block;
};

}  // namespace

Outcome<std::string> exportKey(std::string_view keyName, REGSAM access) {
    const auto location = locateKeyName(keyName, access);
    if (!location) {
        return unknownKey(keyName);
    }
    // The top key is named as the caller spelled it, with the root's full name.
    auto names = *splitKeyPath(keyName);
    names.front() = rootName(*rootNamed(names.front()));
    std::string text;
    const auto failure = readKey(*location, [&](const KeyNode& key) {
        text = writeRegText(key, joinKeyPath(names));
        return ERROR_SUCCESS;
    });
    if (failure.status != ERROR_SUCCESS) {
        return failure;
    }
    return text;
}

Failure importRegText(std::string_view text, REGSAM access) {
    const auto document = parseRegText(text);
    if (!document.ok()) {
        return document.failure();
    }
    std::vector<PlacedBlock> placed;
    for (const auto& block : document.value().blocks) {
        const auto location = locateKeyName(joinKeyPath(block.path), access);
        if (!location) {
            auto failure = unknownKey(block.path.front());
            failure.message = "line " + std::to_string(block.line) + ": " + failure.message;
            return failure;
        }
        placed.push_back({*location, &block});
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

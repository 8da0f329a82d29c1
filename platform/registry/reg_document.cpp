#include "platform/registry/reg_document.h"

namespace zo::platform::registry {

void applyKeyBlock(KeyNode& root, std::span<const std::string> path, const KeyBlock& block) {
    if (block.remove) {
        if (path.empty()) {
            root = KeyNode{};
        } else {
            removeKey(root, path);
        }
        return;
    }
    auto& key = createKey(root, path).key;
    for (const auto& line : block.values) {
        if (line.value) {
            key.values.insert_or_assign(line.name, *line.value);
        } else {
            key.values.erase(line.name);
        }
    }
}

}  // namespace zo::platform::registry

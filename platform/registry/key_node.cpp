#include "platform/registry/key_node.h"

namespace zo::platform::registry {

const KeyNode* findKey(const KeyNode& root, std::span<const std::string> path) {
    const KeyNode* key = &root;
    for (const auto& name : path) {
        const auto found = key->subkeys.find(name);
        if (found == key->subkeys.end()) {
            return nullptr;
        }
        key = found->second.get();
    }
    return key;
}

KeyNode* findKey(KeyNode& root, std::span<const std::string> path) {
    return const_cast<KeyNode*>(findKey(static_cast<const KeyNode&>(root), path));
}

CreatedKey createKey(KeyNode& root, std::span<const std::string> path) {
    KeyNode* key = &root;
    bool created = false;
    for (const auto& name : path) {
        auto& slot = key->subkeys[name];
        if (!slot) {
            slot = std::make_unique<KeyNode>();
            created = true;
        }
        key = slot.get();
    }
    return {*key, created};
}

bool removeKey(KeyNode& root, std::span<const std::string> path) {
    if (path.empty()) {
        return false;
    }
    KeyNode* parent = findKey(root, path.first(path.size() - 1));
    return parent != nullptr && parent->subkeys.erase(path.back()) == 1;
}

}  // namespace zo::platform::registry

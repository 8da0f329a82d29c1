#include "platform/registry/key_access.h"

namespace zo::platform::registry {
namespace {

Failure withMessage(Failure failure, const KeyLocation& location) {
    if (failure.message.empty() && failure.status == ERROR_KEY_DELETED) {
        failure.message = "the key " + describeKey(location) + " does not exist";
    }
    return failure;
}

}  // namespace

std::string describeKey(const KeyLocation& location) {
    auto name = hiveFile(location.hive).rootName();
    for (const auto& key : location.path) {
        name += '\\' + key;
    }
    return name;
}

Failure readKey(const KeyLocation& location, const std::function<LSTATUS(const KeyNode&)>& visit) {
    const auto hive = hiveFile(location.hive).load();
    if (!hive.ok()) {
        return hive.failure();
    }
    const KeyNode* key = findKey(hive.value(), location.path);
    return withMessage({key != nullptr ? visit(*key) : ERROR_KEY_DELETED, {}}, location);
}

Failure changeKey(const KeyLocation& location, const std::function<LSTATUS(KeyNode&)>& change) {
    const auto failure = hiveFile(location.hive).update([&](KeyNode& root) {
        KeyNode* key = findKey(root, location.path);
        return key != nullptr ? change(*key) : ERROR_KEY_DELETED;
    });
    return withMessage(failure, location);
}

Failure createKeyAt(const KeyLocation& location, bool& created) {
    created = false;
    auto existing = readKey(location, [](const KeyNode&) { return ERROR_SUCCESS; });
    if (existing.status != ERROR_KEY_DELETED) {
        return existing;
    }
    return hiveFile(location.hive).update([&](KeyNode& root) {
        created = createKey(root, location.path).created;
        return ERROR_SUCCESS;
    });
}

Failure removeKeyAt(const KeyLocation& location, bool withSubkeys) {
    const auto failure = hiveFile(location.hive).update([&](KeyNode& root) {
        KeyNode* key = findKey(root, location.path);
        if (key == nullptr) {
            return ERROR_KEY_DELETED;
        }
        if (!withSubkeys && !key->subkeys.empty()) {
            return ERROR_ACCESS_DENIED;
        }
        if (location.path.empty()) {
            *key = KeyNode{};
        } else {
            removeKey(root, location.path);
        }
        return ERROR_SUCCESS;
    });
    return withMessage(failure, location);
}

}  // namespace zo::platform::registry

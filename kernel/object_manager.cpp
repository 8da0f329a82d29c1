#include "kernel/object_manager.h"

#include <algorithm>
#include <cctype>

namespace zo::kernel {

std::string ObjectManager::key(std::string_view name) {
    std::string lowered(name);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

std::shared_ptr<DEVICE_OBJECT> ObjectManager::createDevice(const std::string& name) {
    std::lock_guard lock(mutex_);
    auto [slot, inserted] = devices_.try_emplace(key(name));
    if (!inserted) {
        return nullptr;
    }
    slot->second = std::make_shared<DEVICE_OBJECT>();
    slot->second->name = name;
    return slot->second;
}

void ObjectManager::deleteDevice(DEVICE_OBJECT* device) {
    std::lock_guard lock(mutex_);
    std::erase_if(devices_, [device](const auto& entry) { return entry.second.get() == device; });
}

NTSTATUS ObjectManager::createLink(const std::string& link, const std::string& target) {
    std::lock_guard lock(mutex_);
    const auto [slot, inserted] = links_.try_emplace(key(link), link, target);
    return inserted ? STATUS_SUCCESS : STATUS_OBJECT_NAME_COLLISION;
}

NTSTATUS ObjectManager::deleteLink(const std::string& link) {
    std::lock_guard lock(mutex_);
    return links_.erase(key(link)) == 1 ? STATUS_SUCCESS : STATUS_OBJECT_NAME_NOT_FOUND;
}

std::shared_ptr<DEVICE_OBJECT> ObjectManager::resolve(std::string_view name) const {
    std::lock_guard lock(mutex_);
    std::string target = key(name);
    if (const auto link = links_.find(target); link != links_.end()) {
        target = key(link->second.second);
    }
    const auto device = devices_.find(target);
    return device == devices_.end() ? nullptr : device->second;
}

std::vector<std::string> ObjectManager::linkNames() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const auto& [lowered, link] : links_) {
        names.push_back(link.first);
    }
    return names;
}

std::unique_lock<std::mutex> ObjectManager::lockDatabase(const std::function<void()>& onWait) {
    std::unique_lock lock(database_, std::try_to_lock);
    if (!lock.owns_lock()) {
        if (onWait) {
            onWait();
        }
        lock.lock();
    }
    return lock;
}

std::size_t ObjectManager::deviceCount() const {
    std::lock_guard lock(mutex_);
    return devices_.size();
}

}  // namespace zo::kernel

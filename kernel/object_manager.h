#pragma once
// The object manager's namespace of device objects and symbolic links. Names are compared
// without regard to case, as Windows compares object names.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "kernel/objects.h"

namespace zo::kernel {

class ObjectManager {
  public:
    // A new named device object; null when the name is taken.
    std::shared_ptr<DEVICE_OBJECT> createDevice(const std::string& name);
    void deleteDevice(DEVICE_OBJECT* device);
    NTSTATUS createLink(const std::string& link, const std::string& target);
    NTSTATUS deleteLink(const std::string& link);
    // The device a device name or a link names, following one link.
    std::shared_ptr<DEVICE_OBJECT> resolve(std::string_view name) const;

    std::vector<std::string> linkNames() const;
    std::size_t deviceCount() const;

    // The lock of the device stacks (the I/O manager's database lock): attaching and detaching
    // devices and what an open checks and counts of the device it reaches hold it. `onWait` runs
    // when the lock is taken and the caller is about to wait for it.
    std::unique_lock<std::mutex> lockDatabase(const std::function<void()>& onWait = {});

  private:
    static std::string key(std::string_view name);

    mutable std::mutex mutex_;
    std::mutex database_;
    std::map<std::string, std::shared_ptr<DEVICE_OBJECT>> devices_;
    std::map<std::string, std::pair<std::string, std::string>> links_;  // key -> (name, target)
};

}  // namespace zo::kernel

#include "app/core/version_info.h"

#include "app/core/settings_keys.h"

namespace zo::quintel {
namespace {

constexpr std::size_t kMaxTextBytes = 128;

void replaceFrom(const RegistryKey& key, const char* name, std::string& text) {
    if (auto stored = key.readString(name, kMaxTextBytes)) {
        text = std::move(*stored);
    }
}

}  // namespace

VersionInfo ReadVersionInfo() {
    VersionInfo info;
    if (const auto key = OpenMachineSettings()) {
        replaceFrom(*key, "Version", info.version);
        replaceFrom(*key, "User", info.user);
        replaceFrom(*key, "Company", info.company);
    }
    return info;
}

}  // namespace zo::quintel

#include "app/core/manual_location.h"

#include "app/core/settings_keys.h"

namespace zo::quintel {
namespace {

constexpr std::size_t kMaxPathBytes = 260;

}  // namespace

std::optional<std::string> ReadAppPath() {
    const auto key = OpenMachineSettings();
    if (!key) {
        return std::nullopt;
    }
    std::string folder = key->readString("AppPath", kMaxPathBytes).value_or("");
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string ManualFolder() {
    const auto appPath = ReadAppPath();
    return appPath ? *appPath + "Docs/" : std::string{};
}

std::string ManualPath(const std::string& manualFolder) {
    return manualFolder + "Manual.pdf";
}

}  // namespace zo::quintel

// Exports that update the system environment values VALDRACOMMON and Path. Running programs are
// not told of the change; broadcasting it is left to the installer.

#include <string>
#include <vector>

#include "platform/registry/registry_value.h"
#include "setup/caller_buffer.h"
#include "setup/path_text.h"
#include "setup/registry_reading.h"
#include "setup/search_path_rewrite.h"
#include "setup/setup_aid.h"

using namespace zo::setup;
namespace reg = zo::platform::registry;

namespace {

constexpr const char* kEnvironmentKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
// Room the search path may grow by in one rewrite.
constexpr reg::DWORD kPathGrowth = 520;

// Stores a string value with its terminating zero, so every reader gets a terminated text.
bool storeEnvironmentText(const char* name, reg::DWORD type, const std::string& text) {
    const auto key = OpenedKey::open(reg::HKEY_LOCAL_MACHINE, kEnvironmentKey, reg::KEY_WRITE);
    const auto value = reg::textValue(type, text);
    return key &&
           reg::RegSetValueEx(key->handle(), name, type, value.data.data(),
                              static_cast<reg::DWORD>(value.data.size())) == reg::ERROR_SUCCESS;
}

std::optional<std::string> readSearchPath() {
    const auto key = OpenedKey::open(reg::HKEY_LOCAL_MACHINE, kEnvironmentKey, reg::KEY_READ);
    reg::DWORD size = 0;
    if (!key ||
        reg::RegQueryValueEx(key->handle(), "Path", nullptr, nullptr, &size) !=
            reg::ERROR_SUCCESS ||
        size == 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> buffer(size + kPathGrowth, 0);
    reg::DWORD got = static_cast<reg::DWORD>(buffer.size());
    if (reg::RegQueryValueEx(key->handle(), "Path", nullptr, buffer.data(), &got) !=
        reg::ERROR_SUCCESS) {
        return std::nullopt;
    }
    return reg::textOf({reg::REG_EXPAND_SZ, {buffer.begin(), buffer.begin() + got}});
}

}  // namespace

extern "C" {

int SETUPAID_CALL UpdateEnvValue(const char* value, const char*) {
    return guardedExport([&] {
        return value != nullptr && storeEnvironmentText("VALDRACOMMON", reg::REG_SZ, value) ? 1 : 0;
    });
}

int SETUPAID_CALL UpdateEnvPath(const char* newEntry, const char* subfolder, const char*) {
    return guardedExport([&] {
        if (newEntry == nullptr || subfolder == nullptr) {
            return 0;
        }
        const std::string oldEntry = std::string("%VALDRACOMMON%") + kPathSeparator + subfolder;
        if (oldEntry.size() > kMaxTextLength ||
            std::string_view(newEntry).size() > kMaxTextLength) {
            return 0;
        }
        auto searchPath = readSearchPath();
        if (!searchPath) {
            return 0;
        }
        const auto rewritten = rewriteSearchPath(std::move(*searchPath), oldEntry, newEntry);
        return !rewritten || storeEnvironmentText("Path", reg::REG_EXPAND_SZ, *rewritten) ? 1 : 0;
    });
}

}  // extern "C"

#include "platform/registry/key_location.h"

#include <array>

#include "platform/process_architecture.h"
#include "platform/registry/key_name.h"

namespace zo::platform::registry {
namespace {

struct RootNames {
    Root root;
    std::string_view full;
    std::string_view shortName;
};

constexpr std::array<RootNames, 3> kRoots = {{
    {Root::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {Root::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {Root::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
}};

constexpr std::string_view kRedirectedKeys = "WOW6432Node";

bool uses32BitView(REGSAM access) {
    if ((access & KEY_WOW64_32KEY) != 0) {
        return true;
    }
    return (access & KEY_WOW64_64KEY) == 0 && processArchitecture().isUnder32BitEmulation();
}

bool isRedirectable(const KeyLocation& location) {
    const auto& path = location.path;
    return location.hive == Hive::LocalMachine && path.size() >= 2 &&
           equalIgnoringCase(path[0], "Software") && !equalIgnoringCase(path[1], kRedirectedKeys) &&
           !equalIgnoringCase(path[1], "Classes");
}

}  // namespace

std::optional<Root> rootNamed(std::string_view name) {
    for (const auto& names : kRoots) {
        if (equalIgnoringCase(name, names.full) || equalIgnoringCase(name, names.shortName)) {
            return names.root;
        }
    }
    return std::nullopt;
}

std::string_view rootName(Root root) {
    return kRoots[static_cast<std::size_t>(root)].full;
}

KeyLocation rootLocation(Root root) {
    switch (root) {
        case Root::ClassesRoot:
            return {Hive::LocalMachine, {"Software", "Classes"}};
        case Root::CurrentUser:
            return {Hive::CurrentUser, {}};
        case Root::LocalMachine:
            break;
    }
    return {Hive::LocalMachine, {}};
}

std::optional<KeyLocation> locateKey(const KeyLocation& base, std::span<const std::string> subkey,
                                     REGSAM access) {
    KeyLocation location = base;
    location.path.insert(location.path.end(), subkey.begin(), subkey.end());
    if (uses32BitView(access) && isRedirectable(location)) {
        location.path.insert(location.path.begin() + 1, std::string(kRedirectedKeys));
    }
    // The file names each key with its root's name in front.
    if (location.path.size() + 1 > kMaxKeyDepth) {
        return std::nullopt;
    }
    return location;
}

Outcome<KeyLocation> locateKeyName(std::string_view name, REGSAM access) {
    const auto names = splitKeyPath(name);
    const auto root = names && !names->empty() ? rootNamed(names->front()) : std::nullopt;
    if (!root) {
        return Failure{ERROR_INVALID_PARAMETER,
                       "\"" + std::string(name.substr(0, 80)) +
                           "\" is not a key name; it must begin with HKCU, HKLM, HKCR or their "
                           "long forms"};
    }
    auto location = locateKey(rootLocation(*root), std::span(*names).subspan(1), access);
    if (!location) {
        return Failure{ERROR_INVALID_PARAMETER,
                       "\"" + std::string(name.substr(0, 80)) + "...\" lies deeper than the " +
                           std::to_string(kMaxKeyDepth) + " levels a hive holds"};
    }
    return std::move(*location);
}

}  // namespace zo::platform::registry

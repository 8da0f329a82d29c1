#include "platform/shared_machine/service_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zo::platform::service {

namespace {

constexpr const char* kFolderName = "zousb";
constexpr const char* kSocketName = "zousbsim.socket";

}  // namespace

std::optional<std::filesystem::path> serviceSocketPath() {
    if (const char* named = std::getenv("ZOUSB_SERVICE"); named != nullptr) {
        if (*named == '\0') {
            return std::nullopt;
        }
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(named, error);
        return error ? std::filesystem::path(named) : absolute;
    }
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && *runtime != '\0') {
        return std::filesystem::path(runtime) / kFolderName / kSocketName;
    }
    return std::filesystem::path("/tmp") / ("zousb-" + std::to_string(::getuid())) / kSocketName;
}

std::filesystem::path serviceLockPath(const std::filesystem::path& socket) {
    return socket.string() + ".lock";
}

std::string preparePrivateFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return "cannot create " + folder.string() + ": " + std::strerror(errno);
    }
    return checkPrivateFolder(folder);
}

std::string checkPrivateFolder(const std::filesystem::path& folder) {
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) {
        return folder.string() + ": " + std::strerror(errno);
    }
    if (!S_ISDIR(status.st_mode)) {
        return folder.string() + " is not a folder";
    }
    if (status.st_uid != ::getuid()) {
        return folder.string() + " belongs to another user";
    }
    if ((status.st_mode & 077) != 0) {
        return folder.string() + " is open to other users (chmod 700 it)";
    }
    return {};
}

}  // namespace zo::platform::service

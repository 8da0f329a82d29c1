#include "platform/path_exists.h"

namespace zo::platform {

bool pathExists(const std::filesystem::path& path) noexcept {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error);
}

}  // namespace zo::platform

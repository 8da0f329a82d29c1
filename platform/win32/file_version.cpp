#include "platform/file_version.h"

#include <windows.h>

#include <vector>

namespace zo::platform {

std::optional<FileVersion> readFileVersion(const std::filesystem::path& file) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> resource(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, resource.data())) {
        return std::nullopt;
    }
    void* fixed = nullptr;
    UINT fixedSize = 0;
    if (!::VerQueryValueW(resource.data(), L"\\", &fixed, &fixedSize) ||
        fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    const auto& info = *static_cast<const VS_FIXEDFILEINFO*>(fixed);
    if (info.dwSignature != VS_FFI_SIGNATURE) {
        return std::nullopt;
    }
    return FileVersion{HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS),
                       HIWORD(info.dwFileVersionLS), LOWORD(info.dwFileVersionLS)};
}

}  // namespace zo::platform

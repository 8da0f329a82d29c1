// QnGetVersion: the version of the library's copy in the system folder.
//
// On this platform the system folder is zo::platform::systemFolder() (ZO_SYSTEM_DIR, or the
// folder of the system stand-in library) and the copy there is "libQuintelDrv.so"; its file
// version is the version note every build of this library carries (platform/file_version_note.h).

#include <optional>

#include "include/QuintelDrv.h"
#include "platform/file_version.h"
#include "platform/file_version_note.h"
#include "platform/system_folder.h"

ZO_FILE_VERSION_NOTE(QUINTELDRV_VERSION_MAJOR, QUINTELDRV_VERSION_MINOR, QUINTELDRV_VERSION_PATCH,
                     0);

namespace {

constexpr const char* kInstalledLibraryName = "libQuintelDrv.so";

std::optional<zo::platform::FileVersion> installedVersion() {
    try {
        const std::filesystem::path folder = zo::platform::systemFolder();
        if (folder.empty()) {
            return std::nullopt;
        }
        return zo::platform::readFileVersion(folder / kInstalledLibraryName);
    } catch (...) {  // out of memory: no version found
        return std::nullopt;
    }
}

}  // namespace

extern "C" QN_API int32_t QN_CALL QnGetVersion(uint16_t* major, uint16_t* minor, uint16_t* build) {
    if (major != nullptr && minor != nullptr) {
        // The answer when no installed copy states a version.
        *major = 1;
        *minor = 0;
        if (const std::optional<zo::platform::FileVersion> version = installedVersion()) {
            *major = (*version)[0];
            *minor = (*version)[1];
        }
    }
    if (build != nullptr) {
        *build = 0;
    }
    return QN_OK;
}

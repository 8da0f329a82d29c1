// QnGetVersion: the version of the library's copy in the system folder.
//
// The system folder is zo::platform::systemFolder() (on Linux ZO_SYSTEM_DIR, or the folder of the
// system stand-in library); the copy there is QuintelDrv.dll on Windows, libQuintelDrv.so on
// Linux, and its file version is the one the build put into it (version_note.cpp on Linux, the
// VERSIONINFO resource on Windows).

#include <optional>

#include "include/QuintelDrv.h"
#include "platform/file_version.h"
#include "platform/shared_library.h"
#include "platform/system_folder.h"

namespace {

std::optional<zo::platform::FileVersion> installedVersion() {
    try {
        const std::filesystem::path folder = zo::platform::systemFolder();
        if (folder.empty()) {
            return std::nullopt;
        }
        return zo::platform::readFileVersion(folder /
                                             zo::platform::sharedLibraryFileName("QuintelDrv"));
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

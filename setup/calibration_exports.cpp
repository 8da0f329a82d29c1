// Exports about calibration files: where the setup brings them from, and how many lie in folders
// where they must not.

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_search.h"
#include "platform/path_exists.h"
#include "platform/process_architecture.h"
#include "platform/system_folder.h"
#include "setup/caller_buffer.h"
#include "setup/path_text.h"
#include "setup/registry_reading.h"
#include "setup/setup_aid.h"

using namespace zo::setup;
namespace reg = zo::platform::registry;

namespace {

constexpr std::size_t kMaxFileNameBytes = 128;
constexpr std::string_view kCalibrationPattern = "*.dat";

bool isCalibrationFileName(std::string_view name) {
    constexpr std::array<std::string_view, 4> kMarks = {"tarvn_", "TARVN_", "qelt_", "QELT_"};
    return std::ranges::any_of(kMarks,
                               [&](std::string_view mark) { return name.find(mark) != name.npos; });
}

// The common-files folders the process sees: the 32-bit one, and under emulation also the 64-bit
// one, read from the 64-bit view.
std::vector<std::string> commonFilesFolders() {
    constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion";
    std::vector<std::optional<std::string>> folders;
    if (zo::platform::processArchitecture().isUnder32BitEmulation()) {
        const reg::REGSAM view64 = reg::KEY_READ | reg::KEY_WOW64_64KEY;
        folders.push_back(
            readRegistryText(reg::HKEY_LOCAL_MACHINE, kKey, "CommonFilesDir (x86)", view64));
        folders.push_back(
            readRegistryText(reg::HKEY_LOCAL_MACHINE, kKey, "CommonFilesDir", view64));
    } else {
        folders.push_back(
            readRegistryText(reg::HKEY_LOCAL_MACHINE, kKey, "CommonFilesDir", reg::KEY_READ));
    }
    std::vector<std::string> existing;
    for (const auto& folder : folders) {
        if (!folder) {
            continue;
        }
        auto cameraFiles = *folder + kPathSeparator + "Valdra" + kPathSeparator + "CameraFiles";
        if (cameraFiles.size() <= kMaxTextLength && zo::platform::pathExists(cameraFiles)) {
            existing.push_back(std::move(cameraFiles));
        }
    }
    return existing;
}

}  // namespace

extern "C" {

int SETUPAID_CALL GetCameraFilesSrc(const char* setupPath, char* folder, char* fileName, int size) {
    return guardedExport([&] {
        if (setupPath == nullptr || std::string_view(setupPath).size() > kMaxTextLength) {
            return 0;
        }
        const auto parent =
            folderOf(withoutTrailingSeparator(setupPath, kPlatformSeparators), kPlatformSeparators);
        if (!parent) {
            return 0;
        }
        const auto cameraFiles = *parent + kPathSeparator + "CameraFiles";
        if (!copyToCaller(cameraFiles, folder, size)) {
            return 0;
        }
        const int nameCapacity = std::min(size, static_cast<int>(kMaxFileNameBytes));
        for (const auto& entry : zo::platform::findEntries(cameraFiles, kCalibrationPattern)) {
            if (!entry.isFolder) {
                return copyToCaller(entry.name, fileName, nameCapacity) ? 1 : 0;
            }
        }
        return 0;
    });
}

int SETUPAID_CALL GetWrongCalibFileNo(void) {
    return guardedExport([] {
        std::vector<std::filesystem::path> folders = {zo::platform::systemFolder()};
        for (const auto& folder : commonFilesFolders()) {
            folders.emplace_back(folder);
        }
        int count = 0;
        for (const auto& folder : folders) {
            for (const auto& entry : zo::platform::findEntries(folder, kCalibrationPattern)) {
                count += !entry.isFolder && isCalibrationFileName(entry.name) ? 1 : 0;
            }
        }
        return count;
    });
}

}  // extern "C"

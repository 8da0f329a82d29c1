// Exports about the maker's own software: version comparison, the KestravaX installation and its
// folders.

#include "platform/path_exists.h"
#include "setup/caller_buffer.h"
#include "setup/registry_reading.h"
#include "setup/setup_aid.h"
#include "setup/version_numbers.h"

using namespace zo::setup;
namespace reg = zo::platform::registry;

namespace {

constexpr const char* kKestravaXVersionKey = "Software\\Valdra\\KestravaX\\CurrentVersion";

int copyMachineText(const char* key, const char* value, char* buffer, int size,
                    reg::DWORD bufferSize = kRegistryBufferSize) {
    const auto text =
        readRegistryText(reg::HKEY_LOCAL_MACHINE, key, value, reg::KEY_READ, bufferSize);
    return text && copyToCaller(*text, buffer, size) ? 1 : 0;
}

}  // namespace

extern "C" {

int SETUPAID_CALL IsVersionOK(const char* installed, const char* required, const char*) {
    return guardedExport([&] {
        if (installed == nullptr || required == nullptr) {
            return 0;
        }
        const auto have = setupVersionValue(installed);
        const auto need = setupVersionValue(required);
        return have && need && *have >= *need ? 1 : 0;
    });
}

int SETUPAID_CALL IsNorvikInstalled(char* appPath, char* version, int size, int use64BitView) {
    return guardedExport([&] {
        const reg::REGSAM access = reg::KEY_READ | (use64BitView != 0 ? reg::KEY_WOW64_64KEY : 0);
        const auto path =
            readRegistryText(reg::HKEY_LOCAL_MACHINE, kKestravaXVersionKey, "AppPath", access);
        const bool copied = path && copyToCaller(*path, appPath, size);
        if (const auto versionText = readRegistryText(reg::HKEY_LOCAL_MACHINE, kKestravaXVersionKey,
                                                      "Version", access)) {
            copyToCaller(*versionText, version, size);
        }
        return copied ? 1 : 0;
    });
}

int SETUPAID_CALL IsNorvikDatabasePathSet(char* buffer, int size) {
    return guardedExport([&] {
        const auto path = readRegistryText(reg::HKEY_LOCAL_MACHINE, kKestravaXVersionKey, "ImgPath",
                                           reg::KEY_READ);
        return path && zo::platform::pathExists(*path) && copyToCaller(*path, buffer, size) ? 1 : 0;
    });
}

int SETUPAID_CALL GetCameraFilesDst(char* buffer, int size) {
    return guardedExport([&] {
        return copyMachineText("Software\\Valdra\\KestravaX", "CalibrationFileDirectory", buffer,
                               size);
    });
}

int SETUPAID_CALL GetEnvAppDataPath(char* buffer, int size) {
    return guardedExport([&] {
        constexpr reg::DWORD kShellFolderBufferSize = 256;
        return copyMachineText(
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
            "Common Documents", buffer, size, kShellFolderBufferSize);
    });
}

}  // extern "C"

// Exports that find software of other vendors: MATLAB, the Windows CE application manager,
// Tecplot, Sapera and BitFlow.

#include <array>
#include <string>

#include "platform/environment_strings.h"
#include "setup/caller_buffer.h"
#include "setup/path_text.h"
#include "setup/registry_reading.h"
#include "setup/setup_aid.h"
#include "setup/version_numbers.h"

using namespace zo::setup;
namespace reg = zo::platform::registry;

namespace {

constexpr const char* kMatlabKey = "SOFTWARE\\MathWorks\\MATLAB";

// Copies the folder of the program a registry value names; 0 when it names none.
int copyProgramFolder(const std::string& program, char* buffer, int size) {
    const auto folder = folderOf(program, kRegistryPathSeparators);
    return folder && copyToCaller(*folder, buffer, size) ? 1 : 0;
}

std::optional<std::string> tecplotFolderFromEnvironment() {
    for (const char* variable : {"%Tec_Focus_2010%", "%Tec_Focus_2009%", "%Tec_Focus_2008%",
                                 "%TecFocusHome%", "%Tec100Home%", "%Tec90Home%", "%Tec80Home%"}) {
        const auto home = zo::platform::expandEnvironmentStrings(variable);
        if (!home.starts_with('%')) {
            return withoutTrailingSeparator(home, kPlatformSeparators) + kPathSeparator + "bin" +
                   kPathSeparator;
        }
    }
    return std::nullopt;
}

}  // namespace

extern "C" {

int SETUPAID_CALL IsMatlabInstalled(int* version, char* buffer, int size) {
    return guardedExport([&] {
        int newest = 0;
        std::string newestName;
        if (const auto key = OpenedKey::open(reg::HKEY_LOCAL_MACHINE, kMatlabKey, reg::KEY_READ)) {
            std::array<char, 256> name{};
            reg::DWORD length = name.size();
            for (reg::DWORD index = 0; reg::RegEnumKeyEx(key->handle(), index, name.data(),
                                                         &length) == reg::ERROR_SUCCESS;
                 ++index, length = name.size()) {
                const int number = matlabReleaseNumber({name.data(), length});
                if (number > newest) {
                    newest = number;
                    newestName.assign(name.data(), length);
                }
            }
        }
        if (version != nullptr) {
            *version = newest;
        }
        if (newest == 0) {
            return 0;
        }
        const auto keyPath = std::string(kMatlabKey) + '\\' + newestName;
        // A missing MATLABROOT still reports the release; one the buffer cannot hold does not.
        const auto root =
            readRegistryText(reg::HKEY_LOCAL_MACHINE, keyPath.c_str(), "MATLABROOT", reg::KEY_READ);
        return !root || copyToCaller(*root, buffer, size) ? 1 : 0;
    });
}

int SETUPAID_CALL IsCEAppMgrInstalled(char* buffer, int size) {
    return guardedExport([&] {
        const auto program = readRegistryText(
            reg::HKEY_LOCAL_MACHINE,
            "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE", nullptr,
            reg::KEY_READ);
        return program ? copyProgramFolder(*program, buffer, size) : 0;
    });
}

int SETUPAID_CALL IsTecplotInstalled(char* buffer, int size) {
    return guardedExport([&] {
        for (const char* key :
             {"Tecplot.Binary\\shell\\open\\command", "Tecplot.Data\\shell\\open\\command",
              "Tecplot.Document\\shell\\open\\command"}) {
            if (const auto command =
                    readRegistryText(reg::HKEY_CLASSES_ROOT, key, nullptr, reg::KEY_READ)) {
                return copyProgramFolder(*command, buffer, size);
            }
        }
        const auto folder = tecplotFolderFromEnvironment();
        return folder && copyToCaller(*folder, buffer, size) ? 1 : 0;
    });
}

int SETUPAID_CALL IsSaperaInstalled(char* buffer, int size) {
    return guardedExport([&] {
        auto folder = zo::platform::expandEnvironmentStrings("%SAPERADIR%");
        auto separators = kPlatformSeparators;
        if (folder.starts_with('%')) {
            const auto registered = readRegistryText(reg::HKEY_LOCAL_MACHINE,
                                                     "Software\\Coreco\\Dalsa Coreco Sapera LT",
                                                     "TargetDir", reg::KEY_READ);
            if (!registered) {
                return 0;
            }
            folder = *registered;
            separators = kRegistryPathSeparators;
        }
        if (folder.empty()) {
            return 1;
        }
        return copyToCaller(withoutTrailingSeparator(folder, separators), buffer, size) ? 1 : 0;
    });
}

int SETUPAID_CALL IsBitflowInstalled(char* buffer, int size) {
    return guardedExport([&] {
        const auto folder = readRegistryText(reg::HKEY_LOCAL_MACHINE,
                                             "SYSTEM\\CurrentControlSet\\Services\\BitFlow",
                                             "BFConfigDir", reg::KEY_READ);
        return folder && copyToCaller(*folder, buffer, size) ? 1 : 0;
    });
}

}  // extern "C"

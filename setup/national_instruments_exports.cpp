// Exports that find the National Instruments packages: NI-DAQ, NI-IMAQ and LabVIEW.

#include "platform/process_architecture.h"
#include "setup/caller_buffer.h"
#include "setup/registry_reading.h"
#include "setup/setup_aid.h"
#include "setup/version_numbers.h"

using namespace zo::setup;
namespace reg = zo::platform::registry;

namespace {

constexpr const char* kLabviewKey = "Software\\National Instruments\\LabVIEW\\CurrentVersion";

}  // namespace

extern "C" {

int SETUPAID_CALL IsNIDAQInstalled(void) {
    return guardedExport([] {
        constexpr reg::DWORD kVersionBufferSize = 255;
        return hasReadableValue(reg::HKEY_LOCAL_MACHINE,
                                "Software\\National Instruments\\NI-DAQ\\CurrentVersion", "Version",
                                kVersionBufferSize)
                   ? 1
                   : 0;
    });
}

int SETUPAID_CALL IsNIIMAQInstalled(char* buffer, int size) {
    return guardedExport([&] {
        const auto path = readRegistryText(
            reg::HKEY_LOCAL_MACHINE, "Software\\National Instruments\\NI-IMAQ for Windows 95/NT",
            "NIIMAQPATH", reg::KEY_READ);
        return path && copyToCaller(*path, buffer, size) ? 1 : 0;
    });
}

int SETUPAID_CALL IsLabVIEWInstalled(int use64BitView, int* version, char* buffer, int size) {
    return guardedExport([&] {
        const bool view64 =
            use64BitView != 0 && zo::platform::processArchitecture().isUnder32BitEmulation();
        const reg::REGSAM access = reg::KEY_READ | (view64 ? reg::KEY_WOW64_64KEY : 0);
        const auto path = readRegistryText(reg::HKEY_LOCAL_MACHINE, kLabviewKey, "Path", access);
        const bool copied = path && copyToCaller(*path, buffer, size);
        const auto versionText =
            readRegistryText(reg::HKEY_LOCAL_MACHINE, kLabviewKey, "Version", access);
        if (versionText && version != nullptr) {
            *version = labviewVersionNumber(*versionText);
        }
        return copied ? 1 : 0;
    });
}

}  // extern "C"

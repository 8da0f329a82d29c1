#include "tools/reg/reg_usage.h"

#include <cstdlib>

#include "platform/registry/hive_locations.h"

namespace zo::tools::reg {
namespace {

namespace registry = platform::registry;

constexpr const char* kKeyName =
    "  KeyName    ROOTKEY\\SubKey; ROOTKEY is HKLM, HKCU or HKCR, or its full name\n"
    "             HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER or HKEY_CLASSES_ROOT. Quote a name\n"
    "             with blanks.\n";

constexpr const char* kViews =
    "  /reg:32    works on the 32-bit view of HKLM\\Software (WOW6432Node)\n"
    "  /reg:64    works on the 64-bit view, the default\n";

std::string hiveLocations() {
    const char* folder = std::getenv(registry::kRegistryFolderVariable);
    const bool chosen = folder != nullptr && *folder != '\0';
    return std::string("Where the hives are kept") +
           (chosen ? " (the folder of ZO_REGISTRY_DIR)" : "") + ":\n\n  HKEY_CURRENT_USER   " +
           registry::hiveFile(registry::Hive::CurrentUser).path().string() +
           "\n  HKEY_LOCAL_MACHINE  " +
           registry::hiveFile(registry::Hive::LocalMachine).path().string() +
           "\n  HKEY_CLASSES_ROOT   HKEY_LOCAL_MACHINE\\Software\\Classes, in the same file\n" +
           (chosen ? std::string()
                   : "\nSet ZO_REGISTRY_DIR to keep both files in one folder of your choice.\n");
}

std::string generalUsage() {
    return "REG OPERATION [PARAMETERS]\n"
           "\n"
           "  OPERATION  QUERY | ADD | DELETE | EXPORT | IMPORT\n"
           "\n"
           "Exit status: 0 when the operation succeeded, 1 when it failed.\n"
           "\n"
           "Each operation explains its parameters:\n"
           "\n"
           "  REG QUERY /?\n"
           "  REG ADD /?\n"
           "  REG DELETE /?\n"
           "  REG EXPORT /?\n"
           "  REG IMPORT /?\n"
           "\n" +
           hiveLocations();
}

std::string queryUsage() {
    return std::string("REG QUERY KeyName [/v ValueName | /ve] [/s] [/reg:32 | /reg:64]\n\n") +
           kKeyName +
           "  /v         shows the value ValueName; with /s, finds it in the key and every key\n"
           "             below it\n"
           "  /ve        shows the default value, \"(value not set)\" when it has none\n"
           "  /s         shows the key and every key below it, with their values\n" +
           kViews +
           "\nExamples:\n\n"
           "  REG QUERY HKCU\\Software\\Valdra /s\n"
           "  REG QUERY \"HKCU\\Software\\Valdra\\Kestrava Quintel\\Settings\" /v Language\n"
           "  REG QUERY HKLM\\Software\\Valdra /v Version /s\n";
}

std::string addUsage() {
    return std::string(
               "REG ADD KeyName [/v ValueName | /ve] [/t Type] [/d Data] [/f] "
               "[/reg:32 | /reg:64]\n\n") +
           kKeyName +
           "  /v         the value to add; without /v and /ve only the key is created\n"
           "  /ve        adds the default value\n"
           "  /t         REG_SZ (the default), REG_EXPAND_SZ, REG_DWORD or REG_BINARY\n"
           "  /d         the data: text; a number, decimal or 0x-hexadecimal, for REG_DWORD;\n"
           "             hexadecimal digit pairs for REG_BINARY\n"
           "  /f         overwrites an existing value without asking\n" +
           kViews +
           "\nExamples:\n\n"
           "  REG ADD \"HKCU\\Software\\Valdra\\Kestrava Quintel\\Settings\" /v Language /d de\n"
           "  REG ADD HKCU\\Software\\Valdra /v Count /t REG_DWORD /d 0x2a /f\n";
}

std::string deleteUsage() {
    return std::string(
               "REG DELETE KeyName [/v ValueName | /ve | /va] [/f] [/reg:32 | "
               "/reg:64]\n\n") +
           kKeyName +
           "  /v         deletes the value ValueName; without /v, /ve and /va the whole key\n"
           "             with everything below it\n"
           "  /ve        deletes the default value\n"
           "  /va        deletes every value of the key, keeping its subkeys\n"
           "  /f         deletes without asking\n" +
           kViews +
           "\nExamples:\n\n"
           "  REG DELETE HKCU\\Software\\Valdra /v Count /f\n"
           "  REG DELETE HKCU\\Software\\Valdra\\Old /f\n";
}

std::string exportUsage() {
    return std::string("REG EXPORT KeyName FileName [/y] [/reg:32 | /reg:64]\n\n") + kKeyName +
           "  FileName   the .reg file to write, with the key and everything below it\n"
           "  /y         overwrites an existing file without asking\n" +
           kViews +
           "\nExample:\n\n"
           "  REG EXPORT HKLM\\Software\\Valdra /tmp/valdra-backup.reg /y\n";
}

std::string importUsage() {
    return std::string("REG IMPORT FileName [/reg:32 | /reg:64]\n\n") +
           "  FileName   a .reg file (\"Windows Registry Editor Version 5.00\", UTF-8)\n" + kViews +
           "\nExample:\n\n"
           "  REG IMPORT /tmp/valdra-backup.reg\n";
}

}  // namespace

std::string usageText(std::optional<Operation> operation) {
    if (!operation) {
        return generalUsage();
    }
    switch (*operation) {
        case Operation::Query:
            return queryUsage();
        case Operation::Add:
            return addUsage();
        case Operation::Delete:
            return deleteUsage();
        case Operation::Export:
            return exportUsage();
        case Operation::Import:
            return importUsage();
    }
    return generalUsage();
}

std::string usageHint(std::optional<Operation> operation) {
    return std::string("Type \"REG ") +
           (operation ? operationName(*operation) + std::string(" ") : "") + "/?\" for usage.";
}

}  // namespace zo::tools::reg

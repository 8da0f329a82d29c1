#pragma once
// The languages the program can show, and where their files are. English is built in; every other
// language is a file "Languages/<program><suffix>" beside the program, where <program> is the
// program's file name without its extension (the whole name when it has none, as on Linux):
// Languages/Quintel.de for the program Quintel or Quintel.exe.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/program_file.h"

namespace zo::quintel {

struct Language {
    std::int32_t index;
    const char* name;        // shown as it stands
    std::uint16_t localeId;  // Windows locale identifier
    const char* localeName;  // the same locale as language_TERRITORY
    bool showsNativeName;    // shown as "name (native name)"
    const char* suffix;      // of the language file
};

inline constexpr std::array<Language, 8> kLanguages = {{
    {0, "English", 0x0409, "en_US", false, ".en"},
    {1, "Deutsch", 0x0407, "de_DE", false, ".de"},
    {2, "Italiano", 0x0410, "it_IT", false, ".it"},
    {3, "Français", 0x040C, "fr_FR", false, ".fr"},
    {4, "Español", 0x040A, "es_ES", false, ".es"},
    {5, "Japanese", 0x0411, "ja_JP", true, ".jp"},
    {6, "Chinese", 0x0804, "zh_CN", true, ".cn"},
    {7, "Russian", 0x0419, "ru_RU", true, ".ru"},
}};

// The entry of an index; null outside 0..7.
const Language* FindLanguage(std::int32_t index);

// The name of a language in its own language as the system's locale data has it (UTF-8), or
// empty when the system has none. The user-interface layer supplies it.
using NativeLanguageName = std::function<std::string(const Language&)>;

// The language files' common start: the program's folder / "Languages" / the program's file name
// without its extension. None when the program's path is unknown or names no file.
std::optional<std::filesystem::path> LanguageFileBase(
    const std::filesystem::path& programFile = platform::runningProgramFile());

// English (index 0) first, then in ascending order every language whose file exists; at most
// `capacity` entries. Empty when the file base is unknown.
std::vector<std::int32_t> BuildLanguageList(
    std::size_t capacity,
    const std::filesystem::path& programFile = platform::runningProgramFile());

// The name, or "name (native name)" for the languages so marked when the system knows the native
// name; empty for an index outside 0..7.
std::string LanguageDisplayName(std::int32_t index, const NativeLanguageName& nativeName);

// The file that carries language 1..7; none for English and for any other index. Whether the file
// exists is the loader's concern.
std::optional<std::filesystem::path> LanguageModulePath(
    std::int32_t index, const std::filesystem::path& programFile = platform::runningProgramFile());

}  // namespace zo::quintel

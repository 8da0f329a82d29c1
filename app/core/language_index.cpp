#include "app/core/language_index.h"

#include <optional>

#include "app/core/settings_keys.h"

namespace zo::quintel {
namespace {

constexpr const char* kLanguageValue = "Language";
constexpr std::uint32_t kUnset = 0xFFFF'FFFF;

std::optional<std::uint32_t> readFrom(const std::optional<RegistryKey>& key) {
    return key ? key->readDword(kLanguageValue) : std::nullopt;
}

}  // namespace

std::int32_t ReadLanguageIndex() {
    std::optional<std::uint32_t> index = readFrom(OpenUserSettingsForReading());
    if (!index || *index == kUnset) {
        index = readFrom(OpenMachineSettings());
    }
    if (!index || *index == kUnset) {
        return 0;
    }
    return static_cast<std::int32_t>(*index);
}

void WriteLanguageIndex(std::int32_t index) {
    if (const auto key = OpenUserSettingsForWriting()) {
        key->writeDword(kLanguageValue, static_cast<std::uint32_t>(index));
    }
}

}  // namespace zo::quintel

#include "app/core/window_pos.h"

#include <span>

#include "app/core/settings_keys.h"

namespace zo::quintel {
namespace {

constexpr const char* kWindowPosValue = "AppWindowPos";

}  // namespace

WindowPos ReadWindowPos() {
    WindowPos pos;
    pos.flags = 1;
    if (const auto key = OpenUserSettingsForReading()) {
        key->readBytes(kWindowPosValue, std::as_writable_bytes(std::span(&pos, 1)));
    }
    return pos;
}

void WriteWindowPos(const WindowPos& pos) {
    if (const auto key = OpenUserSettingsForWriting()) {
        key->writeBinary(kWindowPosValue, std::as_bytes(std::span(&pos, 1)));
    }
}

bool HasUsableSize(const WindowPos& pos) {
    return pos.width > 0 && pos.height > 0;
}

}  // namespace zo::quintel

#pragma once
// The program's resources by id: texts from the string table, icons, bitmaps and cursors from the
// built-in images. A loaded language (language_module.h) takes precedence for every text and
// image it carries.

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <cstdint>
#include <optional>

namespace zo::quintel {

// Where a registered language file appears in the resource tree.
inline constexpr const char* kLanguageResourceRoot = "/language";

QString ResourceText(std::uint32_t id);

// The text with its "%d" placeholders replaced by the value.
QString ResourceText(std::uint32_t id, long long value);

// Every size drawn for the icon; a null icon when there is none.
QIcon ResourceIcon(int id);

// A null pixmap when there is no such bitmap.
QPixmap ResourceBitmap(int id);

// Nothing when there is no such cursor.
std::optional<QCursor> ResourceCursor(int id);

}  // namespace zo::quintel

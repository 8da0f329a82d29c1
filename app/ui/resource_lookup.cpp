#include "app/ui/resource_lookup.h"

#include <QDir>
#include <QFileInfo>
#include <QPoint>
#include <map>

#include "app/core/resource_ids.h"
#include "app/core/string_table.h"
#include "app/core/text_format.h"

// The built-in images are compiled into a static library: its resource initialiser must be called
// by name, from the global namespace.
static void initialiseBuiltInImages() {
    Q_INIT_RESOURCE(quintel_images);
}

namespace zo::quintel {
namespace {

// The hot spot of each cursor, in the pixels of its image.
const std::map<int, QPoint> kCursorHotSpots = {{res::kHandCursor, QPoint(12, 1)}};

void ensureBuiltInImages() {
    static const bool initialised = [] {
        initialiseBuiltInImages();
        return true;
    }();
    (void)initialised;
}

// The path of a resource in the loaded language if it carries one, else the built-in path.
QString resourcePath(const QString& relative) {
    ensureBuiltInImages();
    QString translated = QString(kLanguageResourceRoot) + '/' + relative;
    return QFileInfo::exists(":" + translated) ? ":" + translated : ":/" + relative;
}

}  // namespace

QString ResourceText(std::uint32_t id) {
    return QString::fromStdString(ResourceString(id));
}

QString ResourceText(std::uint32_t id, long long value) {
    return QString::fromStdString(FormatInteger(ResourceString(id), value));
}

QIcon ResourceIcon(int id) {
    QIcon icon;
    QDir sizes(resourcePath(QString("icons/%1").arg(id)));
    for (const QString& file : sizes.entryList({"*.png"}, QDir::Files)) {
        icon.addFile(sizes.filePath(file));
    }
    return icon;
}

QPixmap ResourceBitmap(int id) {
    return QPixmap(resourcePath(QString("bitmaps/%1.png").arg(id)));
}

std::optional<QCursor> ResourceCursor(int id) {
    QPixmap image(resourcePath(QString("cursors/%1.png").arg(id)));
    if (image.isNull()) {
        return std::nullopt;
    }
    auto hotSpot = kCursorHotSpots.find(id);
    QPoint at = hotSpot != kCursorHotSpots.end() ? hotSpot->second : QPoint(0, 0);
    return QCursor(image, at.x(), at.y());
}

}  // namespace zo::quintel

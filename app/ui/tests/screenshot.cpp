#include "app/ui/tests/screenshot.h"

#include <QDir>

namespace zo::quintel::testing {

QString SaveScreenshot(QWidget& widget, const QString& name) {
    QDir folder(QUINTEL_SCREENSHOT_DIR);
    folder.mkpath(".");
    QString path = folder.filePath(name + ".png");
    widget.grab().save(path);
    return path;
}

}  // namespace zo::quintel::testing

#pragma once
// Test artefacts: pictures of windows as the offscreen platform draws them.

#include <QString>
#include <QWidget>

namespace zo::quintel::testing {

// Saves the widget as <name>.png in the build's screenshot folder and returns the path.
QString SaveScreenshot(QWidget& widget, const QString& name);

}  // namespace zo::quintel::testing

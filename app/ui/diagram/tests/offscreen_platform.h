#pragma once
// Tests and benchmarks draw their widgets on Qt's offscreen platform unless the environment names
// another one; call before the application object is made.

#include <QByteArray>
#include <QtGlobal>

namespace zo::quintel::test {

inline void PreferOffscreenPlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

}  // namespace zo::quintel::test

// Runs the widget tests in one application on Qt's offscreen platform unless another is chosen.

#include <gtest/gtest.h>

#include <QApplication>

#include "app/ui/font_substitutes.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    zo::quintel::InstallFontSubstitutes();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Quintel, the signal generator program.

#include <QApplication>
#include <QCommandLineParser>

#include "app/program/quintel_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Kestrava Quintel signal generator: edits, switches and shows the eight "
                       "channels of the first hub."));
    parser.addHelpOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Start as usual, save a picture of the main window as FILE (PNG) and end."),
        QStringLiteral("FILE"));
    parser.addOption(screenshot);
    parser.process(application);

    zo::quintel::ProgramOptions options;
    if (parser.isSet(screenshot)) {
        options.screenshotPath = parser.value(screenshot);
    }
    zo::quintel::CQuintelApp program;
    return program.Run(options);
}

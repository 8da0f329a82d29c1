#include "app/program/quintel_app.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "app/core/language_index.h"
#include "app/core/languages.h"
#include "app/core/manual_location.h"
#include "app/core/settings_keys.h"
#include "app/ui/dialog/quintel_dlg.h"
#include "app/ui/font_substitutes.h"

namespace zo::quintel {

void CQuintelApp::InitInstance() {
    InstallFontSubstitutes();
    CreateUserSettingsKey();
    manualFolder_ = zo::quintel::ManualFolder();
    if (const auto path = LanguageModulePath(ReadLanguageIndex())) {
        language_ = LanguageModule::Load(QString::fromStdString(path->string()));
    }
}

int CQuintelApp::Run(const ProgramOptions& options) {
    InitInstance();
    ImmediateSplashTimer immediateSplash;
    QuintelDlgOptions dialogOptions;
    dialogOptions.openManual = [this] { OpenManual(); };
    if (options.screenshotPath) {
        dialogOptions.splashTimer = &immediateSplash;
    }
    CQuintelDlg dialog(dialogOptions);
    dialog.Initialise();
    if (!options.screenshotPath) {
        dialog.exec();
        return 0;
    }
    dialog.show();
    QApplication::processEvents();
    return dialog.grab().save(*options.screenshotPath, "PNG") ? 0 : 1;
}

void CQuintelApp::OpenManual() const {
    const QFileInfo manual(QString::fromStdString(ManualPath(manualFolder_)));
    QDesktopServices::openUrl(QUrl::fromLocalFile(manual.absoluteFilePath()));
}

}  // namespace zo::quintel

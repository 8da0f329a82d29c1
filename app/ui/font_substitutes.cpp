#include "app/ui/font_substitutes.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace zo::quintel {

void InstallFontSubstitutes() {
    QStringList fixed;
    fixed << QFontDatabase::systemFont(QFontDatabase::FixedFont).family() << "DejaVu Sans Mono"
          << "monospace";
    QStringList general;
    general << QFontDatabase::systemFont(QFontDatabase::GeneralFont).family() << "DejaVu Sans"
            << "sans-serif";
    for (const char* face : {"Courier", "Courier New"}) {
        QFont::insertSubstitutions(face, fixed);
    }
    for (const char* face :
         {"Tahoma", "MS Sans Serif", "Microsoft Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2"}) {
        QFont::insertSubstitutions(face, general);
    }
}

}  // namespace zo::quintel

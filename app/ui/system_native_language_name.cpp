#include "app/ui/system_native_language_name.h"

#include <QLocale>

namespace zo::quintel {

std::string SystemNativeLanguageName(const Language& language) {
    const QLocale locale(QString::fromLatin1(language.localeName));
    if (locale.language() == QLocale::C) {
        return {};
    }
    return locale.nativeLanguageName().toStdString();
}

}  // namespace zo::quintel

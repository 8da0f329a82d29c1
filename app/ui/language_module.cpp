#include "app/ui/language_module.h"

#include <QFile>
#include <QFileInfo>
#include <QResource>
#include <utility>

#include "app/core/language_table_check.h"
#include "app/core/language_text.h"
#include "app/ui/resource_lookup.h"

namespace zo::quintel {
namespace {

// The registered language file, empty while none is.
QString& registeredPath() {
    static QString path;
    return path;
}

}  // namespace

std::unique_ptr<LanguageModule> LanguageModule::Load(const QString& path, QString* why) {
    auto fail = [&](const QString& reason) {
        if (why != nullptr) {
            *why = path + ": " + reason;
        }
        return nullptr;
    };
    if (!registeredPath().isEmpty()) {
        return fail("another language is loaded");
    }
    if (!QFileInfo(path).isFile()) {
        return fail("no such file");
    }
    if (!QResource::registerResource(path, kLanguageResourceRoot)) {
        return fail("not a compiled resource file");
    }
    std::unique_ptr<LanguageModule> module(new LanguageModule(path));

    QFile strings(QString(":") + kLanguageResourceRoot + "/strings.txt");
    if (!strings.open(QIODevice::ReadOnly)) {
        return fail("carries no strings.txt");
    }
    QByteArray text = strings.readAll();
    StringTable table;
    LanguageTextError error;
    if (!ParseLanguageText(
            std::string_view(text.constData(), static_cast<std::size_t>(text.size())), table,
            error)) {
        return fail(QString("strings.txt:%1: %2")
                        .arg(error.line)
                        .arg(QString::fromStdString(error.message)));
    }
    InstallLanguageStrings(CheckLanguageTable(table).usable);
    return module;
}

LanguageModule::LanguageModule(QString path) : path_(std::move(path)) {
    registeredPath() = path_;
}

LanguageModule::~LanguageModule() {
    InstallLanguageStrings({});
    QResource::unregisterResource(path_, kLanguageResourceRoot);
    registeredPath().clear();
}

}  // namespace zo::quintel

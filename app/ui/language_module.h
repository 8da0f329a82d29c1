#pragma once
// A language resource file (Languages/Quintel<suffix> beside the program): a compiled Qt resource
// file carrying the translated string table as strings.txt and, optionally, translated images
// under the paths of the built-in ones (icons/<id>/<size>.png, bitmaps/<id>.png,
// cursors/<id>.png). While a LanguageModule lives, the file is registered and its texts and
// images take precedence; one language is loaded at a time.

#include <QString>
#include <memory>

namespace zo::quintel {

class LanguageModule {
  public:
    // The loaded language, or null when another one is loaded, the file is missing, is not a
    // resource file or carries no readable string table; then why says what failed and the texts
    // in use stay.
    // Entries that are no texts of the program, or whose placeholders differ from the English
    // ones, are left out and keep their English text.
    static std::unique_ptr<LanguageModule> Load(const QString& path, QString* why = nullptr);

    LanguageModule(const LanguageModule&) = delete;
    LanguageModule& operator=(const LanguageModule&) = delete;

    // Unregisters the file and returns to English.
    ~LanguageModule();

  private:
    explicit LanguageModule(QString path);

    QString path_;
};

}  // namespace zo::quintel

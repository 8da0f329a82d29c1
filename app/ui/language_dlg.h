#pragma once
// CLanguageDlg: the language selection. It offers the installed languages in a drop-down list
// and, when ended with OK, reports the one chosen; Cancel keeps the current one.

#include <QDialog>
#include <QString>
#include <cstdint>
#include <vector>

class QComboBox;

namespace zo::quintel {

struct LanguageChoice {
    int index;     // the language index stored as "Language"
    QString name;  // as shown: the language's name, with its native name where it has one
};

// The entries for a list of installed language indices (BuildLanguageList), named with their
// native names from the system's locale data; English alone for an empty list.
std::vector<LanguageChoice> InstalledLanguageChoices(const std::vector<std::int32_t>& installed);

class CLanguageDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kLanguageListId = 1442;

    // The list shows the choices in the order given and selects the one whose index is current,
    // else the first.
    CLanguageDlg(const std::vector<LanguageChoice>& choices, int current,
                 QWidget* parent = nullptr);

    // After OK the index of the selected entry; otherwise the current one.
    int ChosenIndex() const { return chosen_; }

  public slots:
    void accept() override;

  private:
    QComboBox* list_;
    int chosen_;
};

}  // namespace zo::quintel

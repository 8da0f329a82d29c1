#include "app/ui/language_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/languages.h"
#include "app/core/resource_ids.h"
#include "app/core/string_ids.h"
#include "app/ui/control_id.h"
#include "app/ui/dialog_units.h"
#include "app/ui/resource_lookup.h"
#include "app/ui/system_native_language_name.h"

namespace zo::quintel {

std::vector<LanguageChoice> InstalledLanguageChoices(const std::vector<std::int32_t>& installed) {
    std::vector<LanguageChoice> choices;
    for (std::int32_t index : installed.empty() ? std::vector<std::int32_t>{0} : installed) {
        choices.push_back(
            {index, QString::fromStdString(LanguageDisplayName(index, SystemNativeLanguageName))});
    }
    return choices;
}

CLanguageDlg::CLanguageDlg(const std::vector<LanguageChoice>& choices, int current, QWidget* parent)
    : QDialog(parent), list_(new QComboBox(this)), chosen_(current) {
    setWindowTitle(ResourceText(ids::kLanguageCaption));
    setWindowIcon(ResourceIcon(res::kAppIcon));

    SetControlId(*list_, kLanguageListId);
    for (const LanguageChoice& choice : choices) {
        list_->addItem(choice.name, choice.index);
    }
    list_->setCurrentIndex(std::max(0, list_->findData(current)));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(ResourceText(ids::kButtonOk), QDialogButtonBox::AcceptRole)
        ->setDefault(true);
    buttons->addButton(ResourceText(ids::kButtonCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLanguageDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLanguageDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ResourceText(ids::kLanguagePrompt), this));
    layout->addWidget(list_);
    layout->addStretch();
    layout->addWidget(buttons);
    setMinimumWidth(DialogUnitsToPixels({186, 0}, font()).width());
    setFixedHeight(sizeHint().height());
}

void CLanguageDlg::accept() {
    if (list_->currentIndex() >= 0) {
        chosen_ = list_->currentData().toInt();
    }
    QDialog::accept();
}

}  // namespace zo::quintel

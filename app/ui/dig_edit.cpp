#include "app/ui/dig_edit.h"

#include <algorithm>

#include "app/core/digit_text.h"

namespace zo::quintel {

CDigEdit::CDigEdit(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setFrame(false);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    applyColours();
}

void CDigEdit::SetDecimals(int decimals) {
    decimals_ = decimals;
}

void CDigEdit::SetLit(bool on) {
    lit_ = on;
    applyColours();
}

void CDigEdit::SetBold(bool bold) {
    QFont description = font();
    if (!ownFont_) {
        description.setFamily("Courier");
        description.setStyleHint(QFont::TypeWriter);
        description.setPixelSize(std::max(1, contentsRect().height()));
        ownFont_ = true;
    }
    description.setWeight(bold ? QFont::Bold : QFont::Normal);
    setFont(description);
}

void CDigEdit::SetValue(double value) {
    setText(QString::fromStdString(DigitText(value, decimals_)));
}

void CDigEdit::Init(bool bold, int decimals, double value) {
    SetDecimals(decimals);
    SetBold(bold);
    SetValue(value);
}

// A disabled cell keeps the black background and shows its digit in the system's disabled text
// colour.
void CDigEdit::applyColours() {
    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Base, kBackground);
        colours.setColor(group, QPalette::Window, kBackground);
    }
    const QColor text = lit_ ? kLitColour : kDimColour;
    colours.setColor(QPalette::Active, QPalette::Text, text);
    colours.setColor(QPalette::Inactive, QPalette::Text, text);
    setPalette(colours);
    update();
}

}  // namespace zo::quintel

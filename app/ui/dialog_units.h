#pragma once
// Dialog layouts are measured in dialog units, which scale with the dialog's font: a horizontal
// unit is a quarter of the font's average character width, a vertical unit an eighth of its
// height, so a dialog keeps its proportions in any font and language.

#include <QFont>
#include <QSize>

namespace zo::quintel {

QSize DialogUnitsToPixels(QSize dialogUnits, const QFont& font);

}  // namespace zo::quintel

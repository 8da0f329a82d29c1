#include "app/ui/dialog_units.h"

#include <QFontMetrics>

namespace zo::quintel {

QSize DialogUnitsToPixels(QSize dialogUnits, const QFont& font) {
    QFontMetrics metrics(font);
    // The average width of the 52 Latin letters, rounded.
    int letters = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int baseWidth = (letters / 26 + 1) / 2;
    int baseHeight = metrics.height();
    auto scale = [](int units, int base, int divisor) {
        return (units * base + divisor / 2) / divisor;
    };
    return {scale(dialogUnits.width(), baseWidth, 4), scale(dialogUnits.height(), baseHeight, 8)};
}

}  // namespace zo::quintel

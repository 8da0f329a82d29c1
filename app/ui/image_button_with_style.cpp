#include "app/ui/image_button_with_style.h"

#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace zo::quintel {

CImageButtonWithStyle::CImageButtonWithStyle(QWidget* parent) : QPushButton(parent) {}

void CImageButtonWithStyle::SetImageAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void CImageButtonWithStyle::paintEvent(QPaintEvent* event) {
    if (icon().isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    QStyleOptionButton option;
    initStyleOption(&option);
    const bool checked = isCheckable() && isChecked();
    const bool pushed = isDown() || checked;
    if (pushed) {
        option.state |= QStyle::State_Sunken;
    }
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const QRect content = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const QPixmap image =
        icon().pixmap(iconSize(), devicePixelRatio(), isEnabled() ? QIcon::Normal : QIcon::Disabled,
                      checked ? QIcon::On : QIcon::Off);
    QRect place = QStyle::alignedRect(layoutDirection(), alignment_,
                                      image.deviceIndependentSize().toSize(), content);
    if (pushed) {
        place.translate(1, 1);
    }
    painter.drawPixmap(place.topLeft(), image);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = content;
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

}  // namespace zo::quintel

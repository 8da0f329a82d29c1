#include "app/ui/spin_btn.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace zo::quintel {
namespace {

QPolygon polygon(const std::array<SpinPoint, 3>& points) {
    QPolygon result;
    for (const SpinPoint& point : points) {
        result << QPoint(point.x, point.y);
    }
    return result;
}

void drawFrame(QPainter& painter, const SpinFrame& frame) {
    if (frame.width > 0 && frame.height > 0) {
        painter.drawRect(frame.x, frame.y, frame.width - 1, frame.height - 1);
    }
}

}  // namespace

CSpinBtn::CSpinBtn(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void CSpinBtn::SetActive(bool on) {
    active_ = on;
    update();
}

QSize CSpinBtn::sizeHint() const {
    return {15, 22};
}

void CSpinBtn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    const QColor arrow = active_ ? kArrowColour : palette().color(QPalette::Dark);
    SpinButtonGeometry geometry = ComputeSpinButtonGeometry(0, 0, width(), height(), pressed_);

    painter.setPen(palette().color(QPalette::Shadow));
    painter.setBrush(Qt::NoBrush);
    drawFrame(painter, geometry.upperFrame);
    drawFrame(painter, geometry.lowerFrame);

    painter.setPen(arrow);
    painter.setBrush(arrow);
    painter.drawPolygon(polygon(geometry.upArrow));
    painter.drawPolygon(polygon(geometry.downArrow));
}

void CSpinBtn::mousePressEvent(QMouseEvent* event) {
    if (active_ && event->button() == Qt::LeftButton) {
        pressed_ = SpinHalfAt(event->position().toPoint().y(), height());
        update();
        const bool up = pressed_ == SpinHalf::kUpper;
        QMetaObject::invokeMethod(
            this, [this, up] { emit spinDigit(up, this); }, Qt::QueuedConnection);
    }
    QAbstractButton::mousePressEvent(event);
}

void CSpinBtn::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        release();
    }
    QAbstractButton::mouseReleaseEvent(event);
}

// While the button is held the mouse stays with it; leaving its rectangle counts as leaving it.
void CSpinBtn::mouseMoveEvent(QMouseEvent* event) {
    if (!rect().contains(event->position().toPoint())) {
        release();
    }
    QAbstractButton::mouseMoveEvent(event);
}

void CSpinBtn::leaveEvent(QEvent* event) {
    release();
    QAbstractButton::leaveEvent(event);
}

void CSpinBtn::release() {
    if (pressed_ != SpinHalf::kNone) {
        pressed_ = SpinHalf::kNone;
        update();
    }
}

}  // namespace zo::quintel

#include "app/ui/dialog/lock_column.h"

#include <QEvent>
#include <algorithm>

#include "app/ui/diagram/time_wnd.h"

namespace zo::quintel {
namespace {

constexpr int kMargin = 6;

}  // namespace

LockColumn::LockColumn(QLabel& caption, const std::array<QCheckBox*, 8>& boxes, CTimeWnd& diagram,
                       QWidget* parent)
    : QWidget(parent), caption_(caption), boxes_(boxes), diagram_(diagram) {
    caption_.setParent(this);
    for (QCheckBox* box : boxes_) {
        box->setParent(this);
    }
    diagram_.installEventFilter(this);
}

QSize LockColumn::sizeHint() const {
    int width = caption_.sizeHint().width();
    for (const QCheckBox* box : boxes_) {
        width = std::max(width, box->sizeHint().width());
    }
    return {width + 2 * kMargin, caption_.sizeHint().height() + 8 * boxes_[0]->sizeHint().height()};
}

bool LockColumn::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &diagram_ &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        Place();
    }
    return QWidget::eventFilter(watched, event);
}

void LockColumn::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Place();
}

void LockColumn::Place() {
    const DiagramLayout layout = diagram_.PlotLayout();
    // The plot's top left corner in this widget's coordinates.
    const QPoint plot = mapFrom(parentWidget(), diagram_.geometry().topLeft()) +
                        diagram_.contentsRect().topLeft() +
                        QPoint(layout.plot.left, layout.plot.top);
    const QSize captionSize = caption_.sizeHint();
    caption_.setGeometry((width() - captionSize.width()) / 2,
                         std::max(0, plot.y() - captionSize.height()), captionSize.width(),
                         captionSize.height());
    for (std::size_t row = 0; row < boxes_.size(); ++row) {
        QCheckBox& box = *boxes_[row];
        const QSize size = box.sizeHint();
        const int middle =
            plot.y() + static_cast<int>(row) * layout.cellHeight + layout.cellHeight / 2;
        box.setGeometry((width() - size.width()) / 2, middle - size.height() / 2, size.width(),
                        size.height());
    }
}

}  // namespace zo::quintel

#pragma once
// LockColumn: the caption "Lock" and the eight lock check boxes at the right of the diagram, each
// box level with its channel's row of the diagram, however the diagram's size and place change.

#include <QCheckBox>
#include <QLabel>
#include <QWidget>
#include <array>

namespace zo::quintel {

class CTimeWnd;

class LockColumn final : public QWidget {
  public:
    // Takes the caption and the boxes (channel 0 first) as its children and follows `diagram`.
    LockColumn(QLabel& caption, const std::array<QCheckBox*, 8>& boxes, CTimeWnd& diagram,
               QWidget* parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Puts each box at the middle of its row and the caption above the plot.
    void Place();

    QLabel& caption_;
    std::array<QCheckBox*, 8> boxes_;
    CTimeWnd& diagram_;
};

}  // namespace zo::quintel

#pragma once
// CSpinBtn: a small button under a digit cell, split into an upper and a lower half with a green
// arrow each. A press on a half asks for a step of that digit through spinDigit, delivered from
// the event loop once the press has been handled, so the step never runs inside the mouse
// handler.

#include <QAbstractButton>

#include "app/core/spin_button_geometry.h"

namespace zo::quintel {

class CSpinBtn : public QAbstractButton {
    Q_OBJECT

  public:
    static constexpr QColor kArrowColour{0, 172, 0};

    explicit CSpinBtn(QWidget* parent = nullptr);

    // An inactive button ignores presses and draws its arrows in the button-shadow colour.
    void SetActive(bool on);
    bool IsActive() const { return active_; }
    SpinHalf PressedHalf() const { return pressed_; }

    QSize sizeHint() const override;

  signals:
    // up: the press was on the upper half.
    void spinDigit(bool up, zo::quintel::CSpinBtn* spin);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void release();

    bool active_ = true;
    SpinHalf pressed_ = SpinHalf::kNone;
};

}  // namespace zo::quintel

#pragma once
// CDigEdit: a read-only edit that shows a number in green on black, like an instrument display,
// lit (bright) or dim. The channel editor uses one per digit cell of its value rows and one for
// each measured input frequency.

#include <QColor>
#include <QLineEdit>

namespace zo::quintel {

class CDigEdit : public QLineEdit {
    Q_OBJECT

  public:
    static constexpr QColor kBackground{0, 0, 0};
    static constexpr QColor kLitColour{0, 255, 0};
    static constexpr QColor kDimColour{0, 172, 0};

    explicit CDigEdit(QWidget* parent = nullptr);

    // Digits after the decimal point that SetValue shows.
    void SetDecimals(int decimals);
    void SetLit(bool on);
    bool IsLit() const { return lit_; }

    // The first call gives the control a "Courier" face as tall as its client area; later calls
    // keep face and height and change only the weight.
    void SetBold(bool bold);

    // Shows the value with the set decimals, or truncated toward zero without any.
    void SetValue(double value);

    // SetDecimals, SetBold and SetValue, in this order.
    void Init(bool bold, int decimals, double value);

  private:
    void applyColours();

    bool lit_ = false;
    int decimals_ = 0;
    bool ownFont_ = false;
};

}  // namespace zo::quintel

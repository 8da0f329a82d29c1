#include "app/ui/spin_btn.h"

#include <gtest/gtest.h>

#include "app/ui/tests/qt_print.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <vector>

#include "app/core/digit_step.h"
#include "app/ui/control_id.h"
#include "app/ui/dig_edit.h"
#include "app/ui/tests/screenshot.h"

namespace zo::quintel {
namespace {

constexpr QSize kSpinSize{15, 22};

// A value row as the channel editor builds it: digit cells with a spin button under each, the
// spin with id kFirstSpin + k stepping digit k (0 = units).
class DigitRow : public QWidget {
  public:
    static constexpr int kCells = 3;
    static constexpr int kFirstSpin = 1090;

    explicit DigitRow(std::uint32_t value) : value_(value) {
        auto* layout = new QHBoxLayout(this);
        for (int k = kCells - 1; k >= 0; --k) {
            auto* column = new QVBoxLayout;
            auto* cell = new CDigEdit(this);
            auto* spin = new CSpinBtn(this);
            cell->setFixedSize(15, 22);
            spin->setFixedSize(kSpinSize);
            SetControlId(*spin, kFirstSpin + k);
            connect(spin, &CSpinBtn::spinDigit, this, &DigitRow::step);
            column->addWidget(cell);
            column->addWidget(spin);
            layout->addLayout(column);
            cells_.insert(cells_.begin(), cell);
            spins_.insert(spins_.begin(), spin);
        }
        show();
        for (CDigEdit* cell : cells_) {
            cell->Init(true, 0, 0);
        }
        showValue();
    }

    CSpinBtn& Spin(int digit) { return *spins_.at(static_cast<std::size_t>(digit)); }
    std::uint32_t Value() const { return value_; }
    QString Shown() const {
        QString digits;
        for (auto cell = cells_.rbegin(); cell != cells_.rend(); ++cell) {
            digits += (*cell)->text();
        }
        return digits;
    }

  private:
    void step(bool up, CSpinBtn* spin) {
        value_ = StepDigit(value_, kCells, ControlId(*spin) - kFirstSpin, up);
        showValue();
    }
    void showValue() {
        std::uint32_t rest = value_;
        for (CDigEdit* cell : cells_) {
            cell->SetValue(rest % 10);
            rest /= 10;
        }
    }

    std::uint32_t value_;
    std::vector<CDigEdit*> cells_;
    std::vector<CSpinBtn*> spins_;
};

void sendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, at, widget.mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

QImage picture(CSpinBtn& spin) {
    return spin.grab().toImage();
}

TEST(CSpinBtn, AClickStepsItsDigitOnlyAfterTheClickHasBeenHandled) {
    DigitRow row(190);
    QTest::mouseClick(&row.Spin(1), Qt::LeftButton, {}, QPoint(7, 4));
    EXPECT_EQ(row.Value(), 190u);  // the step is queued, not run inside the click

    QCoreApplication::processEvents();
    EXPECT_EQ(row.Value(), 100u);  // 9 wraps to 0 without a carry
    EXPECT_EQ(row.Shown(), "100");

    QTest::mouseClick(&row.Spin(0), Qt::LeftButton, {}, QPoint(7, 18));
    QCoreApplication::processEvents();
    EXPECT_EQ(row.Shown(), "109");
    testing::SaveScreenshot(row, "digit_row");
}

TEST(CSpinBtn, TheMiddleRowIsTheUpperHalf) {
    CSpinBtn spin;
    spin.setFixedSize(15, 20);
    QSignalSpy steps(&spin, &CSpinBtn::spinDigit);
    for (int y : {9, 10, 11}) {
        QTest::mouseClick(&spin, Qt::LeftButton, {}, QPoint(7, y));
    }
    QCoreApplication::processEvents();
    ASSERT_EQ(steps.count(), 3);
    EXPECT_TRUE(steps[0][0].toBool());
    EXPECT_TRUE(steps[1][0].toBool());
    EXPECT_FALSE(steps[2][0].toBool());
    EXPECT_EQ(steps[2][1].value<CSpinBtn*>(), &spin);
}

TEST(CSpinBtn, AnInactiveButtonStepsNothingAndDrawsGreyArrows) {
    CSpinBtn spin;
    spin.setFixedSize(kSpinSize);
    const QPoint insideUpArrow(7, 5);
    EXPECT_EQ(picture(spin).pixelColor(insideUpArrow), CSpinBtn::kArrowColour);

    spin.SetActive(false);
    QSignalSpy steps(&spin, &CSpinBtn::spinDigit);
    QTest::mouseClick(&spin, Qt::LeftButton, {}, QPoint(7, 4));
    QCoreApplication::processEvents();
    EXPECT_EQ(steps.count(), 0);
    EXPECT_EQ(spin.PressedHalf(), SpinHalf::kNone);
    EXPECT_EQ(picture(spin).pixelColor(insideUpArrow).rgb(),
              spin.palette().color(QPalette::Dark).rgb());
}

TEST(CSpinBtn, APressedHalfShowsItsArrowMovedAndReturnsWhenTheMouseLeaves) {
    CSpinBtn spin;
    spin.setFixedSize(kSpinSize);
    const QPoint baseLeft(4, 6);  // left end of the up arrow's base
    const QPoint movedBaseRight(11, 7);
    EXPECT_EQ(picture(spin).pixelColor(baseLeft), CSpinBtn::kArrowColour);

    sendMouse(spin, QEvent::MouseButtonPress, QPoint(7, 4), Qt::LeftButton);
    EXPECT_EQ(spin.PressedHalf(), SpinHalf::kUpper);
    EXPECT_NE(picture(spin).pixelColor(baseLeft), CSpinBtn::kArrowColour);
    EXPECT_EQ(picture(spin).pixelColor(movedBaseRight), CSpinBtn::kArrowColour);

    sendMouse(spin, QEvent::MouseMove, QPoint(7, 30), Qt::LeftButton);
    EXPECT_EQ(spin.PressedHalf(), SpinHalf::kNone);
    EXPECT_EQ(picture(spin).pixelColor(baseLeft), CSpinBtn::kArrowColour);

    sendMouse(spin, QEvent::MouseButtonPress, QPoint(7, 18), Qt::LeftButton);
    EXPECT_EQ(spin.PressedHalf(), SpinHalf::kLower);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&spin, &leave);
    EXPECT_EQ(spin.PressedHalf(), SpinHalf::kNone);
    sendMouse(spin, QEvent::MouseButtonRelease, QPoint(7, 18), Qt::NoButton);
}

}  // namespace
}  // namespace zo::quintel

#include "app/ui/dialog/quintel_dlg_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/core/editor/control_ids.h"
#include "app/core/editor/digit_rows.h"
#include "app/core/string_ids.h"
#include "app/ui/control_id.h"
#include "app/ui/diagram/time_wnd.h"
#include "app/ui/dialog/lock_column.h"
#include "app/ui/dig_edit.h"
#include "app/ui/image_button_with_style.h"
#include "app/ui/resource_lookup.h"
#include "app/ui/spin_btn.h"

namespace zo::quintel {
namespace {

constexpr QSize kCellSize{17, 24};
constexpr QSize kSpinSize{17, 20};
constexpr int kDisplayHeight = 24;
// The widest read-out: a frequency of eight digits (inputs are measured up to 10 MHz) and a tenth.
constexpr char kWidestReadOut[] = "00000000.0";
constexpr int kDisplayMargin = 8;
constexpr QSize kOutputButtonSize{44, 30};
constexpr QSize kOutputIconSize{16, 16};
constexpr int kMaxLabelLength = 64;
constexpr int kDelayPointDigit = 1;  // the point sits right of this delay digit

class Builder {
  public:
    explicit Builder(QWidget& dialog) : dialog_(dialog) {}

    template <typename Control, typename... Arguments>
    Control* Make(int id, Arguments&&... arguments) {
        auto* control = new Control(std::forward<Arguments>(arguments)..., &dialog_);
        Register(*control, id);
        return control;
    }

    void Register(QWidget& control, int id) {
        SetControlId(control, id);
        control.setObjectName(QString::number(id));
        // Controls that a mode hides keep their place, so nothing jumps when the mode changes.
        QSizePolicy policy = control.sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        control.setSizePolicy(policy);
        controls_.byId[id] = &control;
    }

    QLabel* Caption(std::uint32_t textId) { return new QLabel(ResourceText(textId), &dialog_); }

    // One row of digit cells over their spin buttons, the most significant digit on the left.
    QWidget* DigitRow(const zo::quintel::DigitRow& row, QWidget* point = nullptr) {
        auto* holder = new QWidget(&dialog_);
        auto* grid = new QGridLayout(holder);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(1);
        grid->setVerticalSpacing(1);
        int column = 0;
        for (int digit = row.cells - 1; digit >= 0; --digit) {
            auto* cell = Make<CDigEdit>(row.Cell(digit));
            cell->setFixedSize(kCellSize);
            cell->setAlignment(Qt::AlignCenter);
            cell->Init(true, 0, 0);
            auto* spin = Make<CSpinBtn>(row.Spin(digit));
            spin->setFixedSize(kSpinSize);
            grid->addWidget(cell, 0, column);
            grid->addWidget(spin, 1, column);
            ++column;
            if (point != nullptr && digit == kDelayPointDigit) {
                grid->addWidget(point, 0, column++, Qt::AlignBottom | Qt::AlignHCenter);
            }
        }
        return holder;
    }

    QuintelDlgControls& controls() { return controls_; }
    QuintelDlgControls Take() { return std::move(controls_); }

  private:
    QWidget& dialog_;
    QuintelDlgControls controls_;
};

QGridLayout* BuildEditor(Builder& b) {
    auto* grid = new QGridLayout;
    int row = 0;
    const auto captionRow = [&](QWidget* caption, QWidget* field, QWidget* extra = nullptr) {
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row, 1);
        if (extra != nullptr) {
            grid->addWidget(extra, row, 2);
        }
        ++row;
    };
    captionRow(b.Caption(ids::kMainCurrentChannel), b.Make<QComboBox>(ctl::kChannelList));
    auto* label = b.Make<QLineEdit>(ctl::kLabelEdit);
    label->setMaxLength(kMaxLabelLength);
    captionRow(b.Caption(ids::kMainLabel), label);
    captionRow(b.Caption(ids::kMainMode), b.Make<QComboBox>(ctl::kModeList),
               b.Make<QCheckBox>(ctl::kInvertCheck, ResourceText(ids::kMainInvert)));
    captionRow(b.Make<QLabel>(ctl::kExternalInCaption, ResourceText(ids::kMainExternalIn)),
               b.Make<QComboBox>(ctl::kExternalSourceList),
               b.Make<QCheckBox>(ctl::kExternalInvertCheck, ResourceText(ids::kMainInvert)));
    captionRow(b.Make<QLabel>(ctl::kGateCaption, ResourceText(ids::kGate)),
               b.Make<QComboBox>(ctl::kGateSourceList),
               b.Make<QCheckBox>(ctl::kGateInvertCheck, ResourceText(ids::kMainInvert)));

    const int unitLists[] = {ctl::kRate1UnitList, ctl::kWidth1UnitList, ctl::kRate2UnitList,
                             ctl::kWidth2UnitList};
    for (std::size_t i = 0; i < std::size(unitLists); ++i) {
        grid->addWidget(b.Make<QComboBox>(unitLists[i]), row, 0, Qt::AlignTop);
        grid->addWidget(b.DigitRow(kDigitRows[i]), row, 1, 1, 2, Qt::AlignRight);
        ++row;
    }
    auto* point = b.Make<QLabel>(ctl::kDelayPoint, QStringLiteral("."));
    point->setStyleSheet(QStringLiteral("font-weight: bold"));
    grid->addWidget(b.Make<QLabel>(ctl::kDelayCaption, ResourceText(ids::kDelayMicroseconds)), row,
                    0, Qt::AlignTop);
    grid->addWidget(b.DigitRow(RowOf(DigitRowId::kDelay), point), row, 1, 1, 2, Qt::AlignRight);
    ++row;
    grid->addWidget(b.Make<QPushButton>(ctl::kDelayReset, ResourceText(ids::kMainReset)), row, 2,
                    Qt::AlignRight);
    ++row;

    for (const auto& [check, display, text] :
         {std::tuple{ctl::kMeasureACheck, ctl::kFrequencyADisplay, ids::kMainExternalFrequencyA},
          std::tuple{ctl::kMeasureBCheck, ctl::kFrequencyBDisplay, ids::kMainExternalFrequencyB}}) {
        auto* readOut = b.Make<CDigEdit>(display);
        readOut->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        readOut->Init(true, 1, 0);
        // Sized by its own font, so no digit of a large frequency is cut off.
        readOut->setFixedSize(
            readOut->fontMetrics().horizontalAdvance(QLatin1String(kWidestReadOut)) +
                kDisplayMargin,
            kDisplayHeight);
        grid->addWidget(b.Make<QCheckBox>(check, ResourceText(text)), row, 0, 1, 2);
        grid->addWidget(readOut, row, 2, Qt::AlignRight);
        ++row;
    }
    grid->setRowStretch(row, 1);
    return grid;
}

QVBoxLayout* BuildOutputButtons(Builder& b) {
    auto* column = new QVBoxLayout;
    for (int k = 0; k < 8; ++k) {
        auto* button = b.Make<CImageButtonWithStyle>(ctl::OutputButton(k));
        button->setCheckable(true);
        button->setFixedSize(kOutputButtonSize);
        button->setIconSize(kOutputIconSize);
        button->setAccessibleName(QString::number(k));
        column->addWidget(button);
    }
    column->addStretch(1);
    return column;
}

QVBoxLayout* BuildDiagram(Builder& b, QWidget& dialog) {
    auto* column = new QVBoxLayout;
    auto* diagram = new CTimeWnd(&dialog, CTimeWnd::kStaticEdge);
    SetControlId(*diagram, ctl::kDiagram);
    b.controls().byId[ctl::kDiagram] = diagram;
    b.controls().diagram = diagram;
    column->addWidget(diagram, 1);
    auto* timeBase = new QHBoxLayout;
    timeBase->addStretch(1);
    timeBase->addWidget(b.Caption(ids::kMainTimeBase));
    timeBase->addWidget(b.Make<QLineEdit>(ctl::kTimeBaseEdit));
    timeBase->addWidget(
        b.Make<QCheckBox>(ctl::kAutoTimeBaseCheck, ResourceText(ids::kMainAutoTimeBase)));
    column->addLayout(timeBase);
    return column;
}

LockColumn* BuildLocks(Builder& b, QWidget& dialog) {
    auto* caption = b.Make<QLabel>(ctl::kLockCaption, ResourceText(ids::kMainLock));
    QFont bold = caption->font();
    bold.setWeight(QFont::DemiBold);
    caption->setFont(bold);
    std::array<QCheckBox*, 8> boxes{};
    for (int k = 0; k < 8; ++k) {
        boxes[static_cast<std::size_t>(k)] = b.Make<QCheckBox>(ctl::LockCheck(k));
    }
    return new LockColumn(*caption, boxes, *b.controls().diagram, &dialog);
}

}  // namespace

QuintelDlgControls BuildQuintelDlgControls(QWidget& dialog) {
    Builder builder(dialog);
    auto* layout = new QHBoxLayout(&dialog);
    layout->addLayout(BuildEditor(builder));
    layout->addLayout(BuildOutputButtons(builder));
    layout->addLayout(BuildDiagram(builder, dialog), 1);
    layout->addWidget(BuildLocks(builder, dialog));
    builder.controls().layout = layout;
    return builder.Take();
}

}  // namespace zo::quintel

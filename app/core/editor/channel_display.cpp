#include "app/core/editor/channel_display.h"

#include <algorithm>
#include <array>
#include <string>

#include "app/core/editor/control_ids.h"
#include "app/core/editor/editor_lists.h"
#include "app/core/editor/mode_layout.h"
#include "app/core/editor/value_step.h"
#include "app/core/resource_ids.h"
#include "app/core/string_ids.h"
#include "app/core/string_table.h"

namespace zo::quintel {
namespace {

// A rate shown as frequency cannot reach the seventh digit (1000000 Hz); a duty cycle and a
// number of pulses are stepped in their three low digits.
constexpr int kMillionsDigit = 6;
constexpr int kFirstUpperDigit = 3;
constexpr std::array<std::uint32_t, 2> kRate2Units = {ids::kFrequency2, ids::kPeriod2};

std::string LabelText(const ChannelConfig& channel) {
    const auto end = std::find(channel.label.begin(), channel.label.end(), '\0');
    return std::string(channel.label.begin(), end);
}

}  // namespace

void ChannelDisplay::FillFixedLists() {
    view_.FillList(ctl::kChannelList, ChannelItems());
    view_.FillList(ctl::kModeList, ModeItems());
    view_.FillList(ctl::kExternalSourceList, ExternalSourceItems());
    view_.FillList(ctl::kRate2UnitList, UnitItems(kRate2Units));
}

void ChannelDisplay::ShowChannel(const ChannelConfig& config, std::size_t channel) {
    view_.SetText(ctl::kLabelEdit, LabelText(config));
    view_.SelectListItem(ctl::kModeList, static_cast<int>(config.mode));
    view_.SetCheck(ctl::kInvertCheck, config.invert != 0);
    view_.SelectListItem(ctl::kExternalSourceList, config.extSource == 2 ? 1 : 0);
    view_.SetCheck(ctl::kExternalInvertCheck, config.extInvert != 0);
    const ListItems gateSources = GateSourceItems(channel);
    view_.FillList(ctl::kGateSourceList, gateSources);
    view_.SelectListItem(ctl::kGateSourceList, IndexOfData(gateSources, config.gateSource));
    view_.SetCheck(ctl::kGateInvertCheck, config.gateInvert != 0);

    ApplyModeLayout(config.mode);

    view_.SelectListItem(ctl::kRate1UnitList, static_cast<int>(config.rate1Unit));
    ShowRow(config, DigitRowId::kRate1);
    view_.SelectListItem(ctl::kWidth1UnitList, static_cast<int>(config.width1Unit));
    ShowRow(config, DigitRowId::kWidth1);
    view_.SelectListItem(ctl::kRate2UnitList, static_cast<int>(config.rate2Unit));
    ShowRow(config, DigitRowId::kRate2);
    view_.SelectListItem(ctl::kWidth2UnitList,
                         ShowsPulseCount(config.mode) ? 0 : static_cast<int>(config.width2Unit));
    ShowRow(config, DigitRowId::kWidth2);
    ShowRow(config, DigitRowId::kDelay);
}

void ChannelDisplay::ApplyModeLayout(std::uint32_t mode) {
    const ModeLayout layout = ModeLayoutOf(mode);
    for (int id : {ctl::kExternalInCaption, ctl::kExternalSourceList, ctl::kExternalInvertCheck}) {
        view_.ShowControl(id, layout.externalInShown);
    }
    for (int id : {ctl::kGateCaption, ctl::kGateSourceList, ctl::kGateInvertCheck}) {
        view_.ShowControl(id, layout.gateShown);
    }
    view_.SetText(ctl::kGateCaption, ResourceString(layout.gateCaption));

    view_.EnableControl(ctl::kRate1UnitList, true);
    view_.EnableControl(ctl::kWidth1UnitList, true);
    view_.FillList(ctl::kRate1UnitList, UnitItems(layout.rate1Units));
    view_.FillList(ctl::kWidth1UnitList, UnitItems(layout.width1Units));
    if (!layout.unitListsEnabled) {
        view_.EnableControl(ctl::kRate1UnitList, false);
        view_.EnableControl(ctl::kWidth1UnitList, false);
    }

    view_.ShowControl(ctl::kRate2UnitList, layout.row3Shown);
    ShowRowControls(DigitRowId::kRate2, layout.row3Shown);
    view_.FillList(ctl::kWidth2UnitList, UnitItems(layout.row4Units));
    view_.ShowControl(ctl::kWidth2UnitList, layout.row4Shown);
    ShowRowControls(DigitRowId::kWidth2, layout.row4Shown);

    view_.ShowControl(ctl::kDelayPoint, layout.delayPointShown);
    view_.SetText(ctl::kDelayCaption, ResourceString(layout.delayCaption));
}

void ChannelDisplay::ShowRow(const ChannelConfig& config, DigitRowId row) {
    const DigitRow& cells = RowOf(row);
    switch (row) {
        case DigitRowId::kRate1:
        case DigitRowId::kRate2: {
            const std::uint32_t unit =
                row == DigitRowId::kRate1 ? config.rate1Unit : config.rate2Unit;
            const bool asPeriod = unit == kRateAsPeriod;
            view_.EnableControl(cells.Spin(kMillionsDigit), asPeriod);
            view_.EnableControl(cells.Cell(kMillionsDigit), asPeriod);
            break;
        }
        case DigitRowId::kWidth1:
            EnableUpperDigits(row, kFirstUpperDigit, config.width1Unit != kWidthAsDuty);
            break;
        case DigitRowId::kWidth2:
            EnableUpperDigits(row, kFirstUpperDigit,
                              !ShowsPulseCount(config.mode) && config.width2Unit != kWidthAsDuty);
            break;
        case DigitRowId::kDelay:
            break;
    }
    std::uint32_t value = ShownValue(config, row);
    for (int digit = 0; digit < cells.cells; ++digit, value /= 10) {
        view_.SetValue(cells.Cell(digit), value % 10);
    }
}

void ChannelDisplay::LightDigits(bool on) {
    for (const DigitRow& row : kDigitRows) {
        for (int digit = 0; digit < row.cells; ++digit) {
            view_.SetLit(row.Cell(digit), on);
        }
    }
}

void ChannelDisplay::SetChannelButton(std::size_t channel, bool on) {
    const int k = static_cast<int>(channel);
    view_.SetButtonState(ctl::OutputButton(k), on, res::ChannelIcon(k, on));
}

void ChannelDisplay::ShowRowControls(DigitRowId row, bool shown) {
    const DigitRow& cells = RowOf(row);
    for (int digit = 0; digit < cells.cells; ++digit) {
        view_.ShowControl(cells.Cell(digit), shown);
        view_.ShowControl(cells.Spin(digit), shown);
    }
}

void ChannelDisplay::EnableUpperDigits(DigitRowId row, int fromDigit, bool enabled) {
    const DigitRow& cells = RowOf(row);
    for (int digit = fromDigit; digit < cells.cells; ++digit) {
        view_.EnableControl(cells.Spin(digit), enabled);
    }
}

}  // namespace zo::quintel

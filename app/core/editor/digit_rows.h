#pragma once
// The editor's five rows of single-digit cells, each with a spin button under every digit: cell
// firstCell + k shows digit k (0 = units) and spin firstSpin + k steps it.

#include <array>
#include <optional>

namespace zo::quintel {

enum class DigitRowId { kRate1, kWidth1, kRate2, kWidth2, kDelay };

struct DigitRow {
    DigitRowId id;
    int firstCell;
    int firstSpin;
    int cells;

    int Cell(int digit) const { return firstCell + digit; }
    int Spin(int digit) const { return firstSpin + digit; }
};

inline constexpr std::array<DigitRow, 5> kDigitRows = {{
    {DigitRowId::kRate1, 1081, 1090, 7},
    {DigitRowId::kWidth1, 1101, 1110, 6},
    {DigitRowId::kRate2, 1121, 1130, 7},
    {DigitRowId::kWidth2, 1141, 1150, 6},
    {DigitRowId::kDelay, 1160, 1169, 8},
}};

const DigitRow& RowOf(DigitRowId id);

struct DigitPosition {
    DigitRowId row;
    int digit;  // 0 = units

    bool operator==(const DigitPosition&) const = default;
};

// The row and digit a spin button steps; none for any other control.
std::optional<DigitPosition> DigitOfSpin(int spinId);

}  // namespace zo::quintel

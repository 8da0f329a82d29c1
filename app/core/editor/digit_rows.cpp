#include "app/core/editor/digit_rows.h"

namespace zo::quintel {

const DigitRow& RowOf(DigitRowId id) {
    return kDigitRows[static_cast<std::size_t>(id)];
}

std::optional<DigitPosition> DigitOfSpin(int spinId) {
    for (const DigitRow& row : kDigitRows) {
        if (spinId >= row.firstSpin && spinId < row.firstSpin + row.cells) {
            return DigitPosition{row.id, spinId - row.firstSpin};
        }
    }
    return std::nullopt;
}

}  // namespace zo::quintel

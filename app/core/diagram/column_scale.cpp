#include "app/core/diagram/column_scale.h"

#include <algorithm>

namespace zo::quintel {

ColumnScale::ColumnScale(int columns, std::int32_t timeRange)
    : m_columns(std::max(columns, 0)), m_timeRange(timeRange) {}

int ColumnScale::Col(std::uint64_t microseconds) const {
    if (m_timeRange <= 0) {
        return -1;
    }
    const auto range = static_cast<std::uint64_t>(m_timeRange);
    if (microseconds >= 2 * range) {
        return 2 * m_columns;
    }
    // Below two ranges (2^32 µs) the doubled product stays far inside 64 bits for any plot width.
    const auto columns = static_cast<std::uint64_t>(m_columns);
    return static_cast<int>((2 * columns * microseconds + range) / (2 * range));
}

}  // namespace zo::quintel

#pragma once
// Turns a time into a number of plot columns: `columns` columns span `timeRange` microseconds.

#include <cstdint>

namespace zo::quintel {

class ColumnScale {
  public:
    ColumnScale(int columns, std::int32_t timeRange);

    // columns · microseconds / timeRange, rounded to the nearest column (halves up). Without a
    // time range (0 or less) every time gives −1, so every length falls back to its minimum.
    // Times of two whole ranges or more all give 2 · columns: nothing is drawn past the plot's
    // end, and sums and steps of a few such values cannot overflow.
    int Col(std::uint64_t microseconds) const;

    int Columns() const { return m_columns; }
    std::int32_t TimeRange() const { return m_timeRange; }

  private:
    int m_columns;
    std::int32_t m_timeRange;
};

}  // namespace zo::quintel

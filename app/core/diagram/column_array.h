#pragma once
// The level of one waveform at each pixel column of the plot: 0 low, 1 high.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace zo::quintel {

class ColumnArray {
  public:
    // Makes room for `columns` columns (none when not positive) and one spare column past the
    // last, where a pulse that fills its whole period puts its gap. The storage only grows, so
    // repaints of a window that keeps its size allocate nothing.
    void Resize(int columns) {
        m_size = std::max(columns, 0);
        if (m_levels.size() < static_cast<std::size_t>(m_size) + 1) {
            m_levels.resize(static_cast<std::size_t>(m_size) + 1);
        }
    }

    int Size() const { return m_size; }

    // Columns 0 .. Size(), the spare one included.
    std::uint8_t& operator[](int column) { return m_levels[column]; }
    std::uint8_t operator[](int column) const { return m_levels[column]; }

    // Sets columns [from, to) to `level`; an empty or reversed range sets nothing.
    void Fill(int from, int to, std::uint8_t level) {
        if (from < to) {
            std::fill(m_levels.begin() + from, m_levels.begin() + to, level);
        }
    }

    // The plot's columns, without the spare one.
    std::span<const std::uint8_t> Levels() const { return {m_levels.data(), std::size_t(m_size)}; }

  private:
    std::vector<std::uint8_t> m_levels = std::vector<std::uint8_t>(1);
    int m_size = 0;
};

}  // namespace zo::quintel

#include "app/core/diagram/diagram_layout.h"
#include "app/core/diagram/waveform_path.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace zo::quintel {
namespace {

TEST(ComputeLayout, WholeCellsKeepingTheRightAndTopEdges) {
    // "0" is 8 x 14: margins of 16 left, 8 right and top, 31 below.
    DiagramLayout layout = ComputeLayout({8, 14}, {300, 200});
    EXPECT_EQ(layout.plot, (DiagramRect{16, 8, 292, 168}));
    EXPECT_EQ(layout.cellWidth, 69);
    EXPECT_EQ(layout.cellHeight, 20);
    EXPECT_EQ(layout.Columns(), 276);

    // The rounding loss goes to the left and bottom margins.
    layout = ComputeLayout({8, 14}, {303, 206});
    EXPECT_EQ(layout.plot, (DiagramRect{19, 8, 295, 168}));

    // A window larger than any fixed buffer gets a plot to match.
    EXPECT_EQ(ComputeLayout({8, 14}, {3000, 1200}).Columns(), 2976);
}

TEST(ComputeLayout, WindowSmallerThanItsMarginsHasNoColumns) {
    const DiagramLayout layout = ComputeLayout({8, 14}, {10, 10});
    EXPECT_LE(layout.Columns(), 0);
    EXPECT_LE(layout.cellHeight, 0);
}

TEST(WaveformPath, EdgesAtTheLastColumnBeforeTheChange) {
    std::vector<DiagramPoint> path;
    const std::array<std::uint8_t, 6> levels{1, 1, 0, 0, 1, 1};
    BuildWaveformPath(levels, 10, 50, 40, path);
    EXPECT_EQ(path, (std::vector<DiagramPoint>{
                        {10, 40}, {11, 40}, {11, 50}, {13, 50}, {13, 40}, {14, 40}}));

    // A change at the last column ends the line with its edge.
    const std::array<std::uint8_t, 3> lastChanges{0, 0, 1};
    BuildWaveformPath(lastChanges, 10, 50, 40, path);
    EXPECT_EQ(path, (std::vector<DiagramPoint>{{10, 50}, {11, 50}, {11, 40}}));
}

TEST(WaveformPath, FlatLineAndTooFewColumns) {
    std::vector<DiagramPoint> path{{1, 1}};
    const std::array<std::uint8_t, 5> low{};
    BuildWaveformPath(low, 10, 50, 40, path);
    EXPECT_EQ(path, (std::vector<DiagramPoint>{{10, 50}, {13, 50}}));

    BuildWaveformPath(std::span<const std::uint8_t>(low).first(1), 10, 50, 40, path);
    EXPECT_TRUE(path.empty());
}

}  // namespace
}  // namespace zo::quintel

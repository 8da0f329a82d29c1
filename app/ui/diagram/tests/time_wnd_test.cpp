#include "app/ui/diagram/time_wnd.h"

#include "app/core/diagram/diagram_layout.h"
#include "app/core/diagram/tests/diagram_test_support.h"
#include "app/ui/diagram/tests/offscreen_platform.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>

#include <set>

namespace zo::quintel {
namespace {

using test::DefaultConfig;
using test::EightChannelConfig;

// The diagram in window pixels: the layout the core computes for the window's contents.
struct PaintedLayout {
    DiagramLayout layout;
    int left;  // where the contents start in the window
    int top;

    int RowBottom(int channel) const {
        return top + layout.plot.top + (channel + 1) * layout.cellHeight;
    }
    int RowHigh(int channel) const { return RowBottom(channel) - (3 * layout.cellHeight) / 4; }
    int PlotLeft() const { return left + layout.plot.left; }
    int PlotRight() const { return left + layout.plot.right; }
};

PaintedLayout LayoutOf(const CTimeWnd& window) {
    const QRect area = window.contentsRect();
    return {window.PlotLayout(), area.left(), area.top()};
}

QImage Paint(CTimeWnd& window, const char* artefact, qreal pixelRatio = 1.0) {
    QImage image(window.size() * pixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    window.render(&image);
    QDir().mkpath(QUINTEL_ARTEFACT_DIR);
    EXPECT_TRUE(image.save(QString(QUINTEL_ARTEFACT_DIR) + "/" + artefact));
    return image;
}

bool Is(const QImage& image, int x, int y, DiagramColour colour) {
    return image.pixel(x, y) == qRgb(colour.red, colour.green, colour.blue);
}

// The rows (0..7) of the plot in which pixels of `colour` appear.
std::set<int> RowsWith(const QImage& image, const PaintedLayout& at, DiagramColour colour) {
    std::set<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = at.PlotLeft(); x < at.PlotRight(); ++x) {
            if (Is(image, x, y, colour)) {
                rows.insert((y - at.top - at.layout.plot.top - 1) / at.layout.cellHeight);
            }
        }
    }
    return rows;
}

TEST(TimeWnd, PaintsEveryModeWithTheCurrentChannelInRed) {
    const DeviceConfig config = EightChannelConfig();
    CTimeWnd window;
    window.resize(480, 300);
    window.SetConfig(&config);
    const QImage image = Paint(window, "time_wnd_modes.png");
    const PaintedLayout at = LayoutOf(window);

    EXPECT_EQ(RowsWith(image, at, kDiagramRed), (std::set<int>{2}));
    EXPECT_EQ(RowsWith(image, at, kDiagramYellow), (std::set<int>{0, 1, 3, 4, 5, 6, 7}));
    // Channel 0 starts with its pulse, the inverted channel 7 with the pulse turned low, and
    // channel 5's burst after its delay.
    EXPECT_TRUE(Is(image, at.PlotLeft() + 1, at.RowHigh(0), kDiagramYellow));
    EXPECT_TRUE(Is(image, at.PlotLeft() + 1, at.RowBottom(7), kDiagramYellow));
    EXPECT_TRUE(Is(image, at.PlotLeft() + 1, at.RowBottom(5), kDiagramYellow));
    // Inside the plot the background is black, the border a dotted green.
    EXPECT_TRUE(Is(image, at.PlotLeft() + 2, at.top + at.layout.plot.top + 2, kDiagramBlack));
    int borderDots = 0;
    for (int x = at.PlotLeft(); x < at.PlotRight(); ++x) {
        borderDots += Is(image, x, at.top + at.layout.plot.top, kDiagramGridGreen) ? 1 : 0;
    }
    EXPECT_NEAR(borderDots, at.layout.Columns() / 2, at.layout.Columns() / 10);
    EXPECT_EQ(window.AutoRange(), 8000);
}

TEST(TimeWnd, UsesAWindowWiderThanAThousandColumnsToItsEdge) {
    DeviceConfig config = DefaultConfig();
    config.channels[0].outputOn = 1;
    CTimeWnd window;
    window.resize(1600, 400);
    window.SetConfig(&config);
    const QImage image = Paint(window, "time_wnd_wide.png");
    const PaintedLayout at = LayoutOf(window);
    ASSERT_GT(at.layout.Columns(), 1023);

    // Channel 3 is off: its flat line runs from the first column to one short of the border.
    const int y = at.RowBottom(3);
    EXPECT_TRUE(Is(image, at.PlotLeft() + 1, y, kDiagramYellow));
    EXPECT_TRUE(Is(image, at.PlotRight() - 1, y, kDiagramYellow));
    EXPECT_FALSE(Is(image, at.PlotRight(), y, kDiagramYellow));
    EXPECT_FALSE(Is(image, at.PlotLeft(), y, kDiagramYellow));
    // The current channel 0 shows four whole periods, the last one's gap reaching the border.
    EXPECT_TRUE(Is(image, at.PlotRight() - 1, at.RowBottom(0), kDiagramRed));
    EXPECT_TRUE(
        Is(image, at.PlotRight() - 1 - 3 * at.layout.cellWidth / 4, at.RowHigh(0), kDiagramRed));
}

TEST(TimeWnd, HighDensityScreensAndAnEmptyWindow) {
    const DeviceConfig config = EightChannelConfig();
    CTimeWnd window(nullptr, 0);
    window.resize(480, 300);
    EXPECT_EQ(window.contentsRect(), window.rect());  // no edge
    Paint(window, "time_wnd_empty.png");
    window.SetConfig(&config);
    const QImage image = Paint(window, "time_wnd_hidpi.png", 2.0);
    EXPECT_EQ(image.width(), 960);
}

TEST(TimeWnd, RefreshComputesTheAutomaticTimeBaseWithoutTheEventLoop) {
    DeviceConfig config = EightChannelConfig();
    CTimeWnd window;
    window.resize(480, 300);
    window.SetConfig(&config);
    window.Refresh();
    EXPECT_EQ(window.AutoRange(), 8000);

    config.channels[0].outputOn = 0;  // channel 7 is now the longest: 6 ms
    window.Refresh();
    const std::int32_t refreshed = window.AutoRange();
    EXPECT_EQ(refreshed, 6000);
    QImage image(window.size(), QImage::Format_RGB32);
    window.render(&image);
    EXPECT_EQ(window.AutoRange(), refreshed);
}

TEST(TimeWnd, CourierMapsToAnInstalledMonospaceFontOfTheCellHeight) {
    QtFontMatcher fonts;
    const QFont& font = fonts.Match(kDiagramFont);
    EXPECT_TRUE(QFontInfo(font).fixedPitch());
    EXPECT_LE(QFontMetrics(font).height(), kDiagramFont.cellHeight);
    EXPECT_GE(QFontMetrics(font).height(), kDiagramFont.cellHeight - 3);
}

}  // namespace
}  // namespace zo::quintel

int main(int argc, char** argv) {
    zo::quintel::test::PreferOffscreenPlatform();
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

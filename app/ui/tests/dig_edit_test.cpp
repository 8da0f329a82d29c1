#include "app/ui/dig_edit.h"

#include <gtest/gtest.h>

#include "app/ui/tests/qt_print.h"

#include <QFontInfo>

namespace zo::quintel {
namespace {

bool shows(const QImage& image, QColor colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

TEST(CDigEdit, ShowsDecimalsOrTheTruncatedValue) {
    CDigEdit readout;
    readout.Init(true, 1, 1234.5);
    EXPECT_EQ(readout.text(), "1234.5");
    readout.SetDecimals(0);
    readout.SetValue(7.9);
    EXPECT_EQ(readout.text(), "7");
    EXPECT_TRUE(readout.isReadOnly());
}

TEST(CDigEdit, TheFirstBoldSetsAFixedFaceAsTallAsTheCellLaterOnesOnlyTheWeight) {
    CDigEdit cell;
    cell.resize(16, 24);
    cell.SetBold(true);
    EXPECT_TRUE(QFontInfo(cell.font()).fixedPitch());
    EXPECT_EQ(cell.font().pixelSize(), 24);
    EXPECT_EQ(cell.font().weight(), QFont::Bold);

    cell.resize(20, 40);
    cell.SetBold(false);
    EXPECT_EQ(cell.font().family(), "Courier");
    EXPECT_EQ(cell.font().pixelSize(), 24);
    EXPECT_EQ(cell.font().weight(), QFont::Normal);
}

TEST(CDigEdit, LitDigitsAreBrightGreenDimOnesDarkerOnBlack) {
    CDigEdit cell;
    cell.resize(18, 26);
    cell.Init(true, 0, 8);
    QImage dim = cell.grab().toImage();
    EXPECT_EQ(dim.pixelColor(0, 0), CDigEdit::kBackground);
    EXPECT_TRUE(shows(dim, CDigEdit::kDimColour));
    EXPECT_FALSE(shows(dim, CDigEdit::kLitColour));

    cell.SetLit(true);
    QImage lit = cell.grab().toImage();
    EXPECT_TRUE(cell.IsLit());
    EXPECT_EQ(lit.pixelColor(0, 0), CDigEdit::kBackground);
    EXPECT_TRUE(shows(lit, CDigEdit::kLitColour));
}

}  // namespace
}  // namespace zo::quintel

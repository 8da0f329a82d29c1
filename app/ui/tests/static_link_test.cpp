#include "app/ui/static_link.h"

#include <gtest/gtest.h>

#include "app/ui/tests/qt_print.h"

#include <QTest>
#include <vector>

#include "app/core/resource_ids.h"

namespace zo::quintel {
namespace {

struct StaticLinkTest : ::testing::Test {
    // An opener that records its targets and answers as told.
    CStaticLink::Opener opener(bool opens) {
        return [this, opens](const QUrl& target) {
            opened.push_back(target);
            return opens;
        };
    }

    std::vector<QUrl> opened;
};

TEST_F(StaticLinkTest, IsAnUnderlinedBlueTextUnderTheHandCursor) {
    CStaticLink link(res::kHandCursor, "https://www.valdra.example");
    EXPECT_EQ(link.Colour(), CStaticLink::kUnvisitedColour);
    EXPECT_EQ(link.palette().color(QPalette::WindowText), CStaticLink::kUnvisitedColour);
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(link.cursor().hotSpot(), QPoint(12, 1));
    EXPECT_EQ(link.cursor().pixmap().size(), QSize(32, 32));

    CStaticLink withoutCursor(9999, "x");
    EXPECT_EQ(withoutCursor.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(StaticLinkTest, OpeningTurnsItPurpleAFailureLeavesItBlue) {
    CStaticLink link(res::kHandCursor, "https://www.valdra.example");
    link.setText("Valdra");
    link.resize(80, 20);
    link.SetOpener(opener(false));
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(link.Colour(), CStaticLink::kUnvisitedColour);

    link.SetOpener(opener(true));
    QTest::mouseClick(&link, Qt::RightButton);
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(link.Colour(), CStaticLink::kVisitedColour);
    EXPECT_EQ(link.palette().color(QPalette::WindowText), CStaticLink::kVisitedColour);
    EXPECT_EQ(opened, (std::vector<QUrl>(2, QUrl("https://www.valdra.example"))));
}

TEST_F(StaticLinkTest, WithoutATargetTheTextIsTheTargetAndWithoutTextNothingOpens) {
    CStaticLink empty(res::kHandCursor, "");
    empty.resize(80, 20);
    empty.SetOpener(opener(true));
    QTest::mouseClick(&empty, Qt::LeftButton);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(empty.Colour(), CStaticLink::kUnvisitedColour);

    CStaticLink link(res::kHandCursor, "");
    link.setText("www.valdra.example");
    link.resize(80, 20);
    link.SetOpener(opener(true));
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl("http://www.valdra.example")});
}

}  // namespace
}  // namespace zo::quintel

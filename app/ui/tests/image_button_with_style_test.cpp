#include "app/ui/image_button_with_style.h"

#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <optional>

#include "app/core/resource_ids.h"
#include "app/ui/resource_lookup.h"
#include "app/ui/tests/screenshot.h"

namespace zo::quintel {
namespace {

constexpr QColor kImageColour{255, 0, 255};

// Remembers how the style was asked to draw a push button.
class RecordingStyle : public QProxyStyle {
  public:
    RecordingStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_PushButtonBevel) {
            bevelState = option->state;
        } else if (element == CE_PushButton) {
            plainDrawing = true;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    mutable std::optional<State> bevelState;
    mutable bool plainDrawing = false;
};

QIcon solidIcon() {
    QPixmap image(16, 16);
    image.fill(kImageColour);
    return QIcon(image);
}

// Where the button shows its image.
QRect imagePlace(QWidget& button) {
    QImage picture = button.grab().toImage();
    QRect found;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixelColor(x, y) == kImageColour) {
                found |= QRect(x, y, 1, 1);
            }
        }
    }
    return found;
}

struct ImageButtonTest : ::testing::Test {
    ImageButtonTest() {
        button.setStyle(&style);
        button.setIcon(solidIcon());
        button.setIconSize({16, 16});
        button.setCheckable(true);
        button.resize(40, 30);
    }

    RecordingStyle style;
    CImageButtonWithStyle button;
};

TEST_F(ImageButtonTest, ACheckedButtonIsDrawnPressedWithItsImageOnePixelDownAndRight) {
    QRect released = imagePlace(button);
    ASSERT_EQ(released.size(), QSize(16, 16));
    ASSERT_TRUE(style.bevelState);
    EXPECT_FALSE(*style.bevelState & QStyle::State_Sunken);

    button.setChecked(true);
    QRect checked = imagePlace(button);
    EXPECT_TRUE(*style.bevelState & QStyle::State_Sunken);
    EXPECT_TRUE(*style.bevelState & QStyle::State_On);
    EXPECT_EQ(checked, released.translated(1, 1));
    EXPECT_FALSE(style.plainDrawing);
}

TEST_F(ImageButtonTest, TheImageFollowsTheAlignmentAndIsGreyedWhenDisabled) {
    QRect centred = imagePlace(button);
    button.SetImageAlignment(Qt::AlignLeft | Qt::AlignTop);
    QRect corner = imagePlace(button);
    EXPECT_LT(corner.left(), centred.left());
    EXPECT_LT(corner.top(), centred.top());

    button.setEnabled(false);
    EXPECT_TRUE(imagePlace(button).isEmpty());
    EXPECT_FALSE(*style.bevelState & QStyle::State_Enabled);
}

TEST_F(ImageButtonTest, AButtonWithoutImageIsAPlainPushButton) {
    button.setIcon(QIcon());
    button.setText("0");
    button.grab();
    EXPECT_TRUE(style.plainDrawing);
}

TEST(ChannelButtons, ShowTheChannelNumberOffAndOn) {
    QWidget strip;
    auto* layout = new QHBoxLayout(&strip);
    for (int channel = 0; channel < 8; ++channel) {
        const bool on = channel % 3 == 1;
        auto* button = new CImageButtonWithStyle(&strip);
        button->setCheckable(true);
        button->setChecked(on);
        button->setIcon(ResourceIcon(res::ChannelIcon(channel, on)));
        button->setIconSize({16, 16});
        button->setFixedSize(26, 24);
        layout->addWidget(button);
    }
    strip.show();
    EXPECT_FALSE(testing::SaveScreenshot(strip, "channel_buttons").isEmpty());
}

}  // namespace
}  // namespace zo::quintel

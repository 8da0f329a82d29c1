#pragma once
// CImageButtonWithStyle: a push button showing an image, drawn with the current style, so that it
// looks like every other button of the desktop. A checked push-like button is drawn pressed, and
// while pressed or checked its image sits one pixel right and one pixel down. A button without
// an image is drawn as a plain push button.

#include <QPushButton>

namespace zo::quintel {

class CImageButtonWithStyle : public QPushButton {
    Q_OBJECT

  public:
    explicit CImageButtonWithStyle(QWidget* parent = nullptr);

    // Where the image sits inside the button's content area; centred by default.
    void SetImageAlignment(Qt::Alignment alignment);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Qt::Alignment alignment_ = Qt::AlignCenter;
};

}  // namespace zo::quintel

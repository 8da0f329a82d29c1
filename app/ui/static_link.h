#pragma once
// CStaticLink: a text that behaves as a hyperlink: underlined, blue until it has been opened and
// purple after, with a hand cursor, opening its target with the desktop's "open" action when
// clicked. A target that cannot be opened gives a beep and leaves the link unvisited.

#include <QColor>
#include <QLabel>
#include <QUrl>
#include <functional>

namespace zo::quintel {

class CStaticLink : public QLabel {
    Q_OBJECT

  public:
    static constexpr QColor kUnvisitedColour{0, 0, 255};
    static constexpr QColor kVisitedColour{128, 0, 128};

    // Hands a target to the desktop; true when it was opened.
    using Opener = std::function<bool(const QUrl&)>;

    // link: the target; when empty, the text shown is the target. The cursor is the program's
    // cursor resource cursorId, or the default one when there is no such cursor.
    CStaticLink(int cursorId, QString link, QWidget* parent = nullptr);

    // Replaces the desktop's "open" action.
    void SetOpener(Opener opener);

    QColor Colour() const { return colour_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void applyColour();

    QString link_;
    QColor colour_ = kUnvisitedColour;
    Opener opener_;
};

}  // namespace zo::quintel

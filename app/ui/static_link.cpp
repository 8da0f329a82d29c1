#include "app/ui/static_link.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <map>
#include <optional>
#include <utility>

#include "app/ui/resource_lookup.h"

namespace zo::quintel {
namespace {

// Each cursor is loaded once for all links; a missing one is not looked for again.
const std::optional<QCursor>& linkCursor(int id) {
    static std::map<int, std::optional<QCursor>> loaded;
    auto found = loaded.find(id);
    if (found == loaded.end()) {
        found = loaded.emplace(id, ResourceCursor(id)).first;
    }
    return found->second;
}

}  // namespace

CStaticLink::CStaticLink(int cursorId, QString link, QWidget* parent)
    : QLabel(parent), link_(std::move(link)), opener_(&QDesktopServices::openUrl) {
    if (const std::optional<QCursor>& cursor = linkCursor(cursorId)) {
        setCursor(*cursor);
    }
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    applyColour();
}

void CStaticLink::SetOpener(Opener opener) {
    opener_ = std::move(opener);
}

void CStaticLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (link_.isEmpty()) {
        link_ = text();
    }
    if (link_.isEmpty()) {
        return;
    }
    if (!opener_(QUrl::fromUserInput(link_))) {
        QApplication::beep();
        return;
    }
    colour_ = kVisitedColour;
    applyColour();
}

void CStaticLink::applyColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colour_);
    setPalette(colours);
    update();
}

}  // namespace zo::quintel

#include "app/ui/splash_wnd.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <utility>

#include "app/ui/resource_lookup.h"

namespace zo::quintel {

void CSplashWnd::ShowSplash(int bitmapId, QWidget* parent) {
    QtSplashTimer timer;
    ShowSplash(bitmapId, parent, timer);
}

void CSplashWnd::ShowSplash(int bitmapId, QWidget* parent, SplashTimer& timer) {
    QPixmap picture = ResourceBitmap(bitmapId);
    if (picture.isNull()) {
        return;
    }
    CSplashWnd splash(std::move(picture), parent, timer);
    QEventLoop loop;
    connect(&splash, &CSplashWnd::closed, &loop, &QEventLoop::quit);
    splash.centre();
    splash.show();
    splash.activateWindow();
    splash.repaint();
    timer.Start(kShowTime, [&splash] { splash.dismiss(); });
    if (!splash.dismissed_) {
        loop.exec();
    }
}

CSplashWnd::CSplashWnd(QPixmap picture, QWidget* parent, SplashTimer& timer)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      picture_(std::move(picture)),
      timer_(timer) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(picture_.deviceIndependentSize().toSize());
}

void CSplashWnd::centre() {
    QWidget* owner = parentWidget();
    QRect area;
    if (owner != nullptr && owner->isVisible()) {
        area = owner->frameGeometry();
    } else {
        QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
        area = screen->availableGeometry();
    }
    QRect frame(QPoint(0, 0), size());
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

void CSplashWnd::dismiss() {
    if (dismissed_) {
        return;
    }
    dismissed_ = true;
    timer_.Stop();
    hide();
    emit closed();
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter(this).drawPixmap(0, 0, picture_);
}

void CSplashWnd::mousePressEvent(QMouseEvent*) {
    dismiss();
}

void CSplashWnd::keyPressEvent(QKeyEvent*) {
    dismiss();
}

}  // namespace zo::quintel

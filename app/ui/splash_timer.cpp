#include "app/ui/splash_timer.h"

#include <utility>

namespace zo::quintel {

QtSplashTimer::QtSplashTimer() {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { expired_(); });
}

void QtSplashTimer::Start(std::chrono::milliseconds time, std::function<void()> expired) {
    expired_ = std::move(expired);
    timer_.start(time);
}

void QtSplashTimer::Stop() {
    timer_.stop();
}

void ImmediateSplashTimer::Start(std::chrono::milliseconds, std::function<void()> expired) {
    QTimer::singleShot(0, std::move(expired));
}

}  // namespace zo::quintel

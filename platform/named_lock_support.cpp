#include "platform/named_lock_support.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace zo::platform {

namespace {

struct Watch {
    LockObserver observer;
    std::chrono::milliseconds waitingAfter{0};
};

std::mutex watchMutex;
Watch watch;

Watch currentWatch() {
    const std::lock_guard guard(watchMutex);
    return watch;
}

}  // namespace

void observeNamedLocks(LockObserver observer, std::chrono::milliseconds waitingAfter) {
    const std::lock_guard guard(watchMutex);
    watch = Watch{std::move(observer), waitingAfter};
}

namespace named_lock_support {

bool isPlainName(const std::string& name) {
    if (name.empty() || name.size() > 200) {
        return false;
    }
    return std::ranges::all_of(name, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
}

void tellUnavailable(const std::string& name, const std::string& where, const std::string& reason) {
    const Watch current = currentWatch();
    if (!current.observer) {
        return;
    }
    LockNotice notice;
    notice.kind = LockNotice::Kind::Unavailable;
    notice.name = name;
    notice.where = where;
    notice.reason = reason;
    current.observer(notice);
}

WaitReport::WaitReport(const std::string& name, const std::string& where, Clock::time_point start,
                       std::chrono::milliseconds limit)
    : start_(start) {
    Watch current = currentWatch();
    observer_ = std::move(current.observer);
    waitingAfter_ = current.waitingAfter;
    notice_.name = name;
    notice_.where = where;
    notice_.limit = limit;
}

Clock::time_point WaitReport::dueAt() const {
    return reported_ || !observer_ ? Clock::time_point::max() : start_ + waitingAfter_;
}

void WaitReport::noteTime(Clock::time_point now) {
    if (now >= dueAt()) {
        reported_ = true;
        send(LockNotice::Kind::Waiting, now);
    }
}

void WaitReport::finish(bool obtained) {
    if (reported_) {
        send(obtained ? LockNotice::Kind::Obtained : LockNotice::Kind::GaveUp, Clock::now());
    }
}

void WaitReport::send(LockNotice::Kind kind, Clock::time_point now) {
    notice_.kind = kind;
    notice_.waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_);
    observer_(notice_);
}

}  // namespace named_lock_support

}  // namespace zo::platform

#include "tools/zousbdiag/lock_wait_notices.h"

#include <cstdio>

namespace zousbdiag {

namespace {

std::string seconds(std::chrono::milliseconds duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(duration.count()) / 1000.0);
    return text;
}

}  // namespace

std::string lockNoticeText(const zo::platform::LockNotice& notice) {
    using Kind = zo::platform::LockNotice::Kind;
    const std::string lock = "the access lock " + notice.name;
    switch (notice.kind) {
        case Kind::Waiting:
            return "zousbdiag: waiting for " + lock + " (" + notice.file.string() +
                   "), which another program holds; going on without it after " +
                   seconds(notice.limit);
        case Kind::Obtained:
            return "zousbdiag: got " + lock + " after " + seconds(notice.waited);
        case Kind::GaveUp:
            return "zousbdiag: " + lock + " was not free within " + seconds(notice.limit) +
                   "; going on without it, so another program's requests may mix with these";
        case Kind::Unavailable:
            break;
    }
    return "zousbdiag: cannot use " + lock + " (" + notice.file.string() + "): " + notice.reason +
           "; another program's requests may mix with these";
}

LockWaitNotices::LockWaitNotices(std::ostream& err) : err_(err) {
    zo::platform::observeNamedLocks(
        [this](const zo::platform::LockNotice& notice) {
            const std::lock_guard guard(mutex_);
            err_ << lockNoticeText(notice) << std::endl;
        },
        kLockWaitWorthTelling);
}

LockWaitNotices::~LockWaitNotices() {
    zo::platform::observeNamedLocks({}, kLockWaitWorthTelling);
}

}  // namespace zousbdiag

#pragma once
// Test support: observes the process's named locks while it lives and keeps their notices.

#include <chrono>
#include <future>
#include <mutex>
#include <vector>

#include "platform/named_lock.h"

namespace zo::platform::testing {

class LockNoticeLog {
  public:
    explicit LockNoticeLog(std::chrono::milliseconds waitingAfter) {
        observeNamedLocks(
            [this](const LockNotice& notice) {
                const std::lock_guard guard(mutex_);
                notices_.push_back(notice);
                if (notice.kind == LockNotice::Kind::Waiting && !waitingSeen_) {
                    waitingSeen_ = true;
                    waiting_.set_value();
                }
            },
            waitingAfter);
    }
    ~LockNoticeLog() { observeNamedLocks({}, std::chrono::milliseconds(0)); }
    LockNoticeLog(const LockNoticeLog&) = delete;
    LockNoticeLog& operator=(const LockNoticeLog&) = delete;

    // True once a wait has been reported; gives up after ten seconds.
    bool awaitWaiting() {
        return waitingFuture_.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    }

    std::vector<LockNotice> notices() {
        const std::lock_guard guard(mutex_);
        return notices_;
    }
    std::vector<LockNotice::Kind> kinds() {
        std::vector<LockNotice::Kind> kinds;
        for (const LockNotice& notice : notices()) {
            kinds.push_back(notice.kind);
        }
        return kinds;
    }

  private:
    std::mutex mutex_;
    std::vector<LockNotice> notices_;
    bool waitingSeen_ = false;
    std::promise<void> waiting_;
    std::future<void> waitingFuture_ = waiting_.get_future();
};

}  // namespace zo::platform::testing

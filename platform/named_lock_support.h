#pragma once
// What every system's named lock (platform/named_lock.h) shares: which names are plain, and how
// its waits and failures reach the process's observer.

#include <chrono>
#include <string>

#include "platform/named_lock.h"

namespace zo::platform::named_lock_support {

using Clock = std::chrono::steady_clock;

// Letters, digits and '_', at most 200 of them.
bool isPlainName(const std::string& name);

// Tells the observer, if there is one, that the lock NAME cannot be used and why.
void tellUnavailable(const std::string& name, const std::string& where, const std::string& reason);

// One wait for a lock, reported once when it has lasted long, once more when it ends.
class WaitReport {
  public:
    WaitReport(const std::string& name, const std::string& where, Clock::time_point start,
               std::chrono::milliseconds limit);

    // When the wait should be reported; never once reported, or with nobody to tell.
    Clock::time_point dueAt() const;
    // Reports the wait when it is due.
    void noteTime(Clock::time_point now);
    // Reports how a reported wait ended.
    void finish(bool obtained);

  private:
    void send(LockNotice::Kind kind, Clock::time_point now);

    LockObserver observer_;
    std::chrono::milliseconds waitingAfter_{0};
    Clock::time_point start_;
    LockNotice notice_;
    bool reported_ = false;
};

}  // namespace zo::platform::named_lock_support

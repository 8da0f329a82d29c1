#pragma once
// What the user sees when a request waits for a hub's access lock: the library only waits (at
// most ten seconds, then it goes on); the tool says on its error stream which lock it waits for
// and how the wait ended, so a stalled run is never silent.

#include <chrono>
#include <mutex>
#include <ostream>
#include <string>

#include "platform/named_lock.h"

namespace zousbdiag {

// A wait is worth a line once it has lasted this long.
inline constexpr std::chrono::milliseconds kLockWaitWorthTelling{1000};

// "zousbdiag: waiting for the access lock ZoDevAccessFlag_000 (...)"
std::string lockNoticeText(const zo::platform::LockNotice& notice);

// While it lives, every notice of the process's named locks goes to err as one line.
class LockWaitNotices {
  public:
    explicit LockWaitNotices(std::ostream& err);
    ~LockWaitNotices();
    LockWaitNotices(const LockWaitNotices&) = delete;
    LockWaitNotices& operator=(const LockWaitNotices&) = delete;

  private:
    std::ostream& err_;
    std::mutex mutex_;  // a background measurement's worker may wait too
};

}  // namespace zousbdiag

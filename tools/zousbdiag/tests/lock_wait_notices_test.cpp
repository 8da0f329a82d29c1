// The lines that tell the user about a wait for a hub's access lock.

#include "tools/zousbdiag/lock_wait_notices.h"

#include <gtest/gtest.h>

namespace zousbdiag {
namespace {

using zo::platform::LockNotice;
using namespace std::chrono_literals;

LockNotice notice(LockNotice::Kind kind) {
    LockNotice notice;
    notice.kind = kind;
    notice.name = "ZoDevAccessFlag_002";
    notice.file = "/dev/shm/ZoDevAccessFlag_002";
    notice.waited = 2345ms;
    notice.limit = 10000ms;
    notice.reason = "Permission denied";
    return notice;
}

TEST(LockNoticeText, NamesTheLockAndSaysHowTheWaitStandsOrEnded) {
    EXPECT_EQ(lockNoticeText(notice(LockNotice::Kind::Waiting)),
              "zousbdiag: waiting for the access lock ZoDevAccessFlag_002 "
              "(/dev/shm/ZoDevAccessFlag_002), which another program holds; going on without it "
              "after 10.0 s");
    EXPECT_EQ(lockNoticeText(notice(LockNotice::Kind::Obtained)),
              "zousbdiag: got the access lock ZoDevAccessFlag_002 after 2.3 s");
    EXPECT_EQ(lockNoticeText(notice(LockNotice::Kind::GaveUp)),
              "zousbdiag: the access lock ZoDevAccessFlag_002 was not free within 10.0 s; going "
              "on without it, so another program's requests may mix with these");
    EXPECT_EQ(lockNoticeText(notice(LockNotice::Kind::Unavailable)),
              "zousbdiag: cannot use the access lock ZoDevAccessFlag_002 "
              "(/dev/shm/ZoDevAccessFlag_002): Permission denied; another program's requests may "
              "mix with these");
}

}  // namespace
}  // namespace zousbdiag

// Named locks on Windows: a named mutex shared by name, held by one thread at a time, handed on
// when its holder ends without giving it back, kept apart by the lock namespace, and reported
// while waited for.

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/named_lock.h"
#include "platform/tests/lock_notice_log.h"
#include "platform/tests/scoped_environment_variable.h"
#include "platform/win32/lock_namespace.h"

namespace zo::platform {
namespace {

using namespace std::chrono_literals;
using testing::LockNoticeLog;
using testing::ScopedEnvironmentVariable;
using Kind = LockNotice::Kind;

constexpr const char* kName = "ZoLockTest";

// Whether another thread gets the lock within `limit`.
bool anotherThreadGets(NamedLock& lock, std::chrono::milliseconds limit) {
    bool obtained = false;
    std::thread other([&] {
        obtained = lock.acquire(limit);
        if (obtained) {
            lock.release();
        }
    });
    other.join();
    return obtained;
}

TEST(Win32NamedLock, IsSharedByNameAndHeldByOneThreadAtATime) {
    auto first = NamedLock::open(kName);
    auto second = NamedLock::open(kName);
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->acquire(0ms));
    EXPECT_FALSE(anotherThreadGets(*second, 20ms)) << "the second must find the lock taken";
    first->release();
    EXPECT_TRUE(anotherThreadGets(*second, 0ms));

    int counter = 0;  // plain: only the lock keeps the threads apart
    const auto addMany = [&] {
        for (int i = 0; i < 500; ++i) {
            ASSERT_TRUE(first->acquire(5s));
            counter = counter + 1;
            first->release();
        }
    };
    std::thread other(addMany);
    addMany();
    other.join();
    EXPECT_EQ(counter, 1000);
}

TEST(Win32NamedLock, AHolderThatEndsWithoutGivingItBackLeavesItFree) {
    auto lock = NamedLock::open(kName);
    ASSERT_TRUE(lock);
    std::thread holder([&] { ASSERT_TRUE(lock->acquire(0ms)); });
    holder.join();
    EXPECT_TRUE(lock->acquire(0ms)) << "the holder is gone, so the lock must be free";
    lock->release();
}

TEST(Win32NamedLock, LocksOfTheSameNameInOtherNamespacesAreOthers) {
    EXPECT_NE(win32::lockObjectName(kName), kName)
        << "each test program has a namespace of its own";
    auto here = NamedLock::open(kName);
    ASSERT_TRUE(here && here->acquire(0ms));
    {
        const ScopedEnvironmentVariable space(win32::kLockNamespaceVariable, "ZoOtherRun");
        EXPECT_EQ(win32::lockObjectName(kName), std::string("ZoOtherRun_") + kName);
        auto there = NamedLock::open(kName);
        ASSERT_TRUE(there);
        EXPECT_TRUE(anotherThreadGets(*there, 0ms));
    }
    here->release();
    const ScopedEnvironmentVariable unset(win32::kLockNamespaceVariable, std::nullopt);
    EXPECT_EQ(win32::lockObjectName(kName), kName);
}

TEST(Win32NamedLock, RefusesNamesAndNamespacesThatAreNotPlain) {
    EXPECT_FALSE(NamedLock::open(""));
    EXPECT_FALSE(NamedLock::open("Global\\Name"));
    EXPECT_FALSE(NamedLock::open(std::string(300, 'a')));

    LockNoticeLog log(0ms);
    const ScopedEnvironmentVariable space(win32::kLockNamespaceVariable, "Global\\Run");
    EXPECT_FALSE(NamedLock::open(kName));
    ASSERT_EQ(log.kinds(), (std::vector{Kind::Unavailable}));
    EXPECT_EQ(log.notices().at(0).name, kName);
    EXPECT_FALSE(log.notices().at(0).reason.empty());
}

TEST(Win32NamedLock, AWaitThatLastsIsReportedWithTheLockAndHowItEnded) {
    auto holder = NamedLock::open(kName);
    auto waiter = NamedLock::open(kName);
    ASSERT_TRUE(holder && waiter && holder->acquire(0ms));
    {
        LockNoticeLog log(0ms);
        EXPECT_FALSE(anotherThreadGets(*waiter, 30ms));
        EXPECT_EQ(log.kinds(), (std::vector{Kind::Waiting, Kind::GaveUp}));
        EXPECT_EQ(log.notices().at(0).name, kName);
        EXPECT_EQ(log.notices().at(0).where, *win32::lockObjectName(kName));
        EXPECT_EQ(log.notices().at(0).limit, 30ms);
    }
    {
        LockNoticeLog log(0ms);
        std::thread waiting([&] {
            EXPECT_TRUE(waiter->acquire(60s));
            waiter->release();
        });
        EXPECT_TRUE(log.awaitWaiting());  // the lock is given back only once the wait is reported
        holder->release();
        waiting.join();
        EXPECT_EQ(log.kinds(), (std::vector{Kind::Waiting, Kind::Obtained}));
    }
    LockNoticeLog quiet(1h);
    ASSERT_TRUE(holder->acquire(0ms));
    EXPECT_FALSE(anotherThreadGets(*waiter, 5ms));
    EXPECT_TRUE(quiet.kinds().empty()) << "a short wait is nothing to report";
    holder->release();
}

}  // namespace
}  // namespace zo::platform

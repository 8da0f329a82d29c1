// Named locks: shared by name between processes and threads, given back by the system when the
// holder dies, open to every user, kept apart by their folder, and reported while waited for.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/named_lock.h"
#include "platform/tests/lock_notice_log.h"
#include "platform/tests/scoped_environment_variable.h"
#include "platform/tests/temporary_folder.h"

namespace zo::platform {
namespace {

using namespace std::chrono_literals;
using testing::LockNoticeLog;
using testing::ScopedEnvironmentVariable;
using testing::TemporaryFolder;

constexpr const char* kName = "ZoLockTest";

// A pipe from one process to another, one byte per message. After the fork each side keeps only
// its end, so a reader whose writer died reads '?' instead of waiting for ever.
class Signal {
  public:
    Signal() { EXPECT_EQ(::pipe(ends_.data()), 0); }
    ~Signal() {
        closeEnd(0);
        closeEnd(1);
    }
    void send(char message) {
        closeEnd(0);
        EXPECT_EQ(::write(ends_[1], &message, 1), 1);
    }
    char receive() {
        closeEnd(1);
        char message = 0;
        return ::read(ends_[0], &message, 1) == 1 ? message : '?';
    }

  private:
    void closeEnd(std::size_t end) {
        if (ends_[end] >= 0) {
            ::close(ends_[end]);
            ends_[end] = -1;
        }
    }

    std::array<int, 2> ends_{-1, -1};
};

class NamedLockTest : public ::testing::Test {
  protected:
    TemporaryFolder folder_;
    ScopedEnvironmentVariable lockFolder_{kLockFolderVariable, folder_.path().string()};
};

TEST_F(NamedLockTest, IsSharedByNameAndHeldByOneAtATime) {
    auto first = NamedLock::open(kName);
    auto second = NamedLock::open(kName);
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(std::filesystem::exists(folder_.path() / kName));
    ASSERT_TRUE(first->acquire(0ms));
    EXPECT_FALSE(second->acquire(20ms)) << "the second must find the lock taken";
    first->release();
    EXPECT_TRUE(second->acquire(0ms));
    second->release();
}

TEST_F(NamedLockTest, ThreadsSharingOneLockTakeTurns) {
    auto lock = NamedLock::open(kName);
    ASSERT_TRUE(lock);
    int counter = 0;  // plain: only the lock keeps the threads apart
    const auto addMany = [&] {
        for (int i = 0; i < 500; ++i) {
            ASSERT_TRUE(lock->acquire(5s));
            counter = counter + 1;
            lock->release();
        }
    };
    std::thread other(addMany);
    addMany();
    other.join();
    EXPECT_EQ(counter, 1000);
}

TEST_F(NamedLockTest, IsGivenBackAtOnceWhenItsHolderIsKilled) {
    Signal taken;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto lock = NamedLock::open(kName);
        if (lock && lock->acquire(0ms)) {
            taken.send('y');
            ::pause();
        }
        ::_exit(1);
    }
    ASSERT_EQ(taken.receive(), 'y');
    auto lock = NamedLock::open(kName);
    ASSERT_TRUE(lock);
    EXPECT_FALSE(lock->acquire(0ms)) << "held by the child";
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(lock->acquire(0ms)) << "the holder is dead, so the lock must be free";
    lock->release();
}

TEST_F(NamedLockTest, TheFileIsOpenToEveryUserWhateverTheCreatorsUmask) {
    const mode_t previous = ::umask(077);
    auto lock = NamedLock::open(kName);
    ::umask(previous);
    ASSERT_TRUE(lock);
    struct stat status {};
    ASSERT_EQ(::stat((folder_.path() / kName).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666u);
}

TEST_F(NamedLockTest, AFileThisUserMayOnlyReadStillSerialises) {
    ASSERT_TRUE(NamedLock::open(kName));
    // As another user's file whose owner took away the write permission.
    std::filesystem::permissions(folder_.path() / kName, std::filesystem::perms::owner_read |
                                                             std::filesystem::perms::group_read |
                                                             std::filesystem::perms::others_read);
    auto first = NamedLock::open(kName);
    auto second = NamedLock::open(kName);
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->acquire(0ms));
    EXPECT_FALSE(second->acquire(0ms));
    first->release();
    EXPECT_TRUE(second->acquire(0ms));
    second->release();
}

// Needs the right to become another user, so it runs only as root.
TEST(NamedLockUsers, AnotherUserSerialisesWithTheCreator) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can run a process as another user";
    }
    // Both users must reach the folder, and the test run's own temporary folder is root's alone.
    const ScopedEnvironmentVariable systemTemporary("TMPDIR", "/tmp");
    const TemporaryFolder shared;
    ::chmod(shared.path().c_str(), 01777);
    const ScopedEnvironmentVariable folder(kLockFolderVariable, shared.path().string());
    const mode_t previous = ::umask(077);
    auto lock = NamedLock::open(kName);
    ::umask(previous);
    ASSERT_TRUE(lock && lock->acquire(0ms));

    Signal toChild;
    Signal toParent;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(2);
        }
        auto theirs = NamedLock::open(kName);
        toParent.send(!theirs ? 'o' : theirs->acquire(0ms) ? 'x' : 'w');
        if (!theirs || toChild.receive() != 'r') {
            ::_exit(3);
        }
        toParent.send(theirs->acquire(0ms) ? 'y' : 'n');
        ::_exit(0);
    }
    const char whileHeld = toParent.receive();
    EXPECT_EQ(whileHeld, 'w') << "o: cannot open it, x: took it while held";
    lock->release();
    if (whileHeld == 'w') {
        toChild.send('r');
        EXPECT_EQ(toParent.receive(), 'y') << "the other user must get it once released";
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(NamedLockTest, LocksOfTheSameNameInOtherFoldersAreOthers) {
    auto here = NamedLock::open(kName);
    ASSERT_TRUE(here && here->acquire(0ms));
    {
        TemporaryFolder elsewhere;
        const ScopedEnvironmentVariable folder(kLockFolderVariable, elsewhere.path().string());
        EXPECT_EQ(lockFolder(), elsewhere.path());
        auto there = NamedLock::open(kName);
        ASSERT_TRUE(there);
        EXPECT_TRUE(there->acquire(0ms));
        there->release();
    }
    here->release();
    const ScopedEnvironmentVariable unset(kLockFolderVariable, std::nullopt);
    EXPECT_EQ(lockFolder(), "/dev/shm");
}

TEST_F(NamedLockTest, RefusesNamesThatAreNotPlain) {
    EXPECT_FALSE(NamedLock::open(""));
    EXPECT_FALSE(NamedLock::open("a/b"));
    EXPECT_FALSE(NamedLock::open("../x"));
    EXPECT_FALSE(NamedLock::open(std::string(300, 'a')));
}

using Kind = LockNotice::Kind;

TEST_F(NamedLockTest, AWaitThatLastsIsReportedWithTheLockAndHowItEnded) {
    auto holder = NamedLock::open(kName);
    auto waiter = NamedLock::open(kName);
    ASSERT_TRUE(holder && waiter && holder->acquire(0ms));
    {
        LockNoticeLog log(0ms);
        EXPECT_FALSE(waiter->acquire(30ms));
        EXPECT_EQ(log.kinds(), (std::vector{Kind::Waiting, Kind::GaveUp}));
        EXPECT_EQ(log.notices().at(0).name, kName);
        EXPECT_EQ(log.notices().at(0).file, folder_.path() / kName);
        EXPECT_EQ(log.notices().at(0).limit, 30ms);
    }
    {
        LockNoticeLog log(0ms);
        std::thread waiting([&] { EXPECT_TRUE(waiter->acquire(60s)); });
        EXPECT_TRUE(log.awaitWaiting());  // the lock is given back only once the wait is reported
        holder->release();
        waiting.join();
        EXPECT_EQ(log.kinds(), (std::vector{Kind::Waiting, Kind::Obtained}));
    }
    {
        LockNoticeLog log(0ms);  // a thread of the same process waits for the turn
        std::thread waiting([&] { EXPECT_TRUE(waiter->acquire(60s)); });
        EXPECT_TRUE(log.awaitWaiting());
        waiter->release();
        waiting.join();
        EXPECT_EQ(log.kinds(), (std::vector{Kind::Waiting, Kind::Obtained}));
        waiter->release();
    }
    LockNoticeLog quiet(1h);
    ASSERT_TRUE(holder->acquire(0ms));
    EXPECT_FALSE(waiter->acquire(5ms));
    EXPECT_TRUE(quiet.kinds().empty()) << "a short wait is nothing to report";
    holder->release();
}

TEST_F(NamedLockTest, ALockThatCannotBeUsedIsReportedWithTheReason) {
    const std::filesystem::path notAFolder = folder_.path() / "file";
    std::ofstream(notAFolder) << "x";
    const ScopedEnvironmentVariable folder(kLockFolderVariable, notAFolder.string());
    LockNoticeLog log(0ms);
    EXPECT_FALSE(NamedLock::open(kName));
    ASSERT_EQ(log.kinds(), (std::vector{Kind::Unavailable}));
    EXPECT_EQ(log.notices().at(0).file, notAFolder / kName);
    EXPECT_FALSE(log.notices().at(0).reason.empty());
}

}  // namespace
}  // namespace zo::platform

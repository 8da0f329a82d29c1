// The slot's access lock: two processes that open the same slot never interleave their
// multi-request sequences; a sequence waits for another program's hold and says so through the
// lock observer; a holder that was killed leaves the lock free.

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <thread>

#include "library/tests/library_test_support.h"
#include "platform/named_lock.h"
#include "platform/tests/lock_notice_log.h"

namespace zo::test {
namespace {

constexpr int kRestartsPerProcess = 200;
constexpr std::size_t kLogCapacity = 2 * kRestartsPerProcess * 16;

struct LoggedWrite {
    std::uint8_t process;
    std::uint8_t reg;
    std::uint8_t value;
};

// Lives in memory shared by both processes.
struct SharedLog {
    std::atomic<int> ready{0};
    std::atomic<std::size_t> next{0};
    std::array<LoggedWrite, kLogCapacity> writes{};
};

// A hub that appends every register write it takes to the shared log while logging is on.
class LoggingHub : public usb::UsbDevice {
  public:
    LoggingHub(SharedLog& log, std::uint8_t process) : log_(log), process_(process) {}
    std::atomic<bool> logging{false};

    usb::Speed speed() const override { return hub_.speed(); }
    usb::TransferResult control(const usb::SetupPacket& setup,
                                std::span<std::uint8_t> data) override {
        if (logging && setup.request == 0xFB) {
            const std::size_t at = log_.next.fetch_add(1);
            if (at < kLogCapacity) {
                log_.writes[at] = {process_, static_cast<std::uint8_t>(setup.value & 0xFF),
                                   static_cast<std::uint8_t>(setup.index >> 8)};
            }
        }
        return hub_.control(setup, data);
    }
    usb::TransferResult transfer(std::uint8_t endpoint, std::span<std::uint8_t> data) override {
        return hub_.transfer(endpoint, data);
    }
    void portReset() override { hub_.portReset(); }

  private:
    hub::SimulatedHub hub_;
    SharedLog& log_;
    std::uint8_t process_;
};

// One process's part: its own machine and hub on slot 0, then many output restarts, each a
// sequence of ten register writes from "all off" (0x40 <- 0) to "all on" (0x40 <- 0xFF).
bool restartOutputsManyTimes(SharedLog& log, std::uint8_t process) {
    kernel::Machine machine(
        kernel::MachineOptions{DriverEntry, kernel::BusCompletion::Immediate, 0x600, {}, {}});
    auto hub = std::make_shared<LoggingHub>(log, process);
    const int port = machine.pnp().plugIn(hub).port;
    QnHandle handle = nullptr;
    bool allDone = QnLoadDriver() == QN_OK && QnOpenDevice(1, &handle) == QN_OK;
    hub->logging = true;
    log.ready.fetch_add(1);
    while (log.ready.load() < 2) {
    }
    for (int i = 0; allDone && i < kRestartsPerProcess; ++i) {
        allDone = QnOpenOutputs(handle, 0xFF) == QN_OK;
    }
    hub->logging = false;
    allDone = QnCloseDevice(handle) == QN_OK && allDone;
    machine.pnp().unplug(port);
    return allDone;
}

TEST(AccessLock, SerialisesTheSequencesOfTwoProcessesOnTheSameSlot) {
    void* memory = ::mmap(nullptr, sizeof(SharedLog), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(memory, MAP_FAILED);
    auto* log = new (memory) SharedLog;

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::_exit(restartOutputsManyTimes(*log, 1) ? 0 : 1);
    }
    const bool parentDone = restartOutputsManyTimes(*log, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(parentDone);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const std::size_t count = log->next.load();
    ASSERT_EQ(count, std::size_t{2 * kRestartsPerProcess * 10});
    constexpr int kNobody = -1;
    int inside = kNobody;  // the process whose sequence is under way
    std::array<int, 2> sequences{};
    for (std::size_t i = 0; i < count; ++i) {
        const LoggedWrite& write = log->writes[i];
        const bool starts = write.reg == 0x40 && write.value == 0;
        const bool ends = write.reg == 0x40 && write.value == 0xFF;
        if (starts) {
            ASSERT_EQ(inside, kNobody) << "a sequence began inside another at write " << i;
            inside = write.process;
        }
        ASSERT_EQ(inside, write.process) << "process " << int{write.process}
                                         << " wrote inside another's sequence at write " << i;
        if (ends) {
            inside = kNobody;
            ++sequences[write.process];
        }
    }
    EXPECT_EQ(sequences[0], kRestartsPerProcess);
    EXPECT_EQ(sequences[1], kRestartsPerProcess);
    log->~SharedLog();
    ::munmap(memory, sizeof(SharedLog));
}

using namespace std::chrono_literals;
using platform::LockNotice;
using platform::NamedLock;
using platform::testing::LockNoticeLog;

class AccessLockTest : public LibraryTest {
  protected:
    void SetUp() override {
        plug();
        handle_ = probeAndOpen();
        ASSERT_NE(handle_, nullptr);
    }
    QnHandle handle_ = nullptr;
};

TEST_F(AccessLockTest, ASequenceWaitsWhileAnotherProgramHoldsTheSlotsLockAndSaysSo) {
    auto otherProgram = NamedLock::open("ZoDevAccessFlag_000");
    ASSERT_TRUE(otherProgram && otherProgram->acquire(0ms));
    LockNoticeLog log(0ms);
    int32_t status = -1;
    std::thread switching([&] { status = QnOpenOutputs(handle_, 1); });
    EXPECT_TRUE(log.awaitWaiting());
    otherProgram->release();
    switching.join();
    EXPECT_EQ(status, QN_OK);
    const std::vector<LockNotice> notices = log.notices();
    ASSERT_EQ(log.kinds(), (std::vector{LockNotice::Kind::Waiting, LockNotice::Kind::Obtained}));
    EXPECT_EQ(notices[0].name, "ZoDevAccessFlag_000");
    EXPECT_EQ(notices[0].limit, 10000ms);
}

TEST_F(AccessLockTest, AProgramKilledWhileHoldingTheLockLeavesItFree) {
    std::array<int, 2> pipe{};
    ASSERT_EQ(::pipe(pipe.data()), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto lock = NamedLock::open("ZoDevAccessFlag_000");
        const char taken = lock && lock->acquire(0ms) ? 'y' : 'n';
        if (::write(pipe[1], &taken, 1) == 1) {
            ::pause();
        }
        ::_exit(1);
    }
    char taken = 0;
    ASSERT_EQ(::read(pipe[0], &taken, 1), 1);
    ASSERT_EQ(taken, 'y');
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    ::close(pipe[0]);
    ::close(pipe[1]);
    LockNoticeLog log(0ms);
    EXPECT_EQ(QnOpenOutputs(handle_, 1), QN_OK);
    EXPECT_TRUE(log.kinds().empty()) << "the sequence found the lock free";
}

}  // namespace
}  // namespace zo::test

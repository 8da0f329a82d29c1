#include "platform/named_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/file_descriptor.h"

namespace zo::platform {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A holder's sequence lasts a few milliseconds; a waiter looks again soon, then less often.
constexpr auto kFirstPause = std::chrono::microseconds(50);
constexpr auto kLongestPause = std::chrono::milliseconds(1);

bool isPlainName(const std::string& name) {
    if (name.empty() || name.size() > 200) {
        return false;
    }
    return std::ranges::all_of(name, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
}

struct Watch {
    LockObserver observer;
    milliseconds waitingAfter{0};
};

std::mutex watchMutex;
Watch watch;

Watch currentWatch() {
    const std::lock_guard guard(watchMutex);
    return watch;
}

void tell(const LockNotice& notice) {
    if (const Watch current = currentWatch(); current.observer) {
        current.observer(notice);
    }
}

// Opens the lock file, creating it when it does not exist yet. An existing file is opened without
// O_CREAT, which a sticky shared folder refuses for another user's file. 0 or the cause.
int openLockFile(const std::filesystem::path& file, FileDescriptor& fd) {
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW;
    for (int attempt = 0; attempt < 3; ++attempt) {
        fd = FileDescriptor(::open(file.c_str(), kFlags));
        if (fd.valid()) {
            return 0;
        }
        if (errno != ENOENT) {
            return errno;
        }
        fd = FileDescriptor(::open(file.c_str(), kFlags | O_CREAT | O_EXCL, 0666));
        if (fd.valid()) {
            // The umask of the creator must not shut the other users out.
            ::fchmod(fd.get(), 0666);
            return 0;
        }
        if (errno != EEXIST) {
            return errno;
        }
    }
    return EEXIST;
}

}  // namespace

struct NamedLockState {
    std::string name;
    std::filesystem::path file;
    FileDescriptor fd;
    // The threads of this process take turns before one of them asks for the file.
    std::mutex mutex;
    std::condition_variable turnFree;
    bool turnTaken = false;
};

namespace {

// Tells the observer about one wait that lasted long: once when it has lasted long, once more
// when it ends.
class WaitReport {
  public:
    WaitReport(const std::string& name, const std::filesystem::path& file, Clock::time_point start,
               milliseconds limit)
        : watch_(currentWatch()), start_(start) {
        notice_.name = name;
        notice_.file = file;
        notice_.limit = limit;
    }

    // When the wait should be reported; never once reported, or with nobody to tell.
    Clock::time_point dueAt() const {
        return reported_ || !watch_.observer ? Clock::time_point::max()
                                             : start_ + watch_.waitingAfter;
    }

    void noteTime(Clock::time_point now) {
        if (now >= dueAt()) {
            reported_ = true;
            send(LockNotice::Kind::Waiting, now);
        }
    }

    void finish(bool obtained) {
        if (reported_) {
            send(obtained ? LockNotice::Kind::Obtained : LockNotice::Kind::GaveUp, Clock::now());
        }
    }

  private:
    void send(LockNotice::Kind kind, Clock::time_point now) {
        notice_.kind = kind;
        notice_.waited = std::chrono::duration_cast<milliseconds>(now - start_);
        watch_.observer(notice_);
    }

    Watch watch_;
    Clock::time_point start_;
    LockNotice notice_;
    bool reported_ = false;
};

bool takeTurn(NamedLockState& state, WaitReport& report, Clock::time_point deadline) {
    std::unique_lock guard(state.mutex);
    while (state.turnTaken) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            return false;
        }
        if (now >= report.dueAt()) {
            guard.unlock();
            report.noteTime(now);
            guard.lock();
            continue;
        }
        state.turnFree.wait_until(guard, std::min(deadline, report.dueAt()));
    }
    state.turnTaken = true;
    return true;
}

void giveTurnBack(NamedLockState& state) {
    {
        const std::lock_guard guard(state.mutex);
        state.turnTaken = false;
    }
    state.turnFree.notify_one();
}

// An flock cannot wait with a time limit, so the waiter asks again after a pause.
bool lockFile(NamedLockState& state, WaitReport& report, Clock::time_point deadline) {
    Clock::duration pause = kFirstPause;
    while (::flock(state.fd.get(), LOCK_EX | LOCK_NB) != 0) {
        const Clock::time_point now = Clock::now();
        if ((errno != EWOULDBLOCK && errno != EINTR) || now >= deadline) {
            giveTurnBack(state);
            return false;
        }
        report.noteTime(now);
        std::this_thread::sleep_for(std::min(pause, deadline - now));
        pause = std::min<Clock::duration>(pause * 2, kLongestPause);
    }
    return true;
}

}  // namespace

std::filesystem::path lockFolder() {
    const char* folder = std::getenv(kLockFolderVariable);
    return folder != nullptr && *folder != '\0' ? std::filesystem::path(folder)
                                                : std::filesystem::path("/dev/shm");
}

void observeNamedLocks(LockObserver observer, milliseconds waitingAfter) {
    const std::lock_guard guard(watchMutex);
    watch = Watch{std::move(observer), waitingAfter};
}

std::optional<NamedLock> NamedLock::open(const std::string& name) {
    if (!isPlainName(name)) {
        return std::nullopt;
    }
    auto state = std::make_unique<NamedLockState>();
    state->name = name;
    const std::filesystem::path folder = lockFolder();
    state->file = folder / name;
    std::error_code ignored;  // a folder that cannot be made shows as a file that cannot be opened
    std::filesystem::create_directories(folder, ignored);
    if (const int cause = openLockFile(state->file, state->fd); cause != 0) {
        LockNotice notice;
        notice.kind = LockNotice::Kind::Unavailable;
        notice.name = name;
        notice.file = state->file;
        notice.reason = std::strerror(cause);
        tell(notice);
        return std::nullopt;
    }
    return NamedLock(std::move(state));
}

NamedLock::NamedLock(std::unique_ptr<NamedLockState> state) : state_(std::move(state)) {}
NamedLock::NamedLock(NamedLock&&) noexcept = default;
NamedLock& NamedLock::operator=(NamedLock&&) noexcept = default;
NamedLock::~NamedLock() = default;

bool NamedLock::acquire(milliseconds limit) {
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + limit;
    WaitReport report(state_->name, state_->file, start, limit);
    const bool obtained =
        takeTurn(*state_, report, deadline) && lockFile(*state_, report, deadline);
    report.finish(obtained);
    return obtained;
}

void NamedLock::release() {
    ::flock(state_->fd.get(), LOCK_UN);
    giveTurnBack(*state_);
}

}  // namespace zo::platform

#pragma once
// A lock with a name, shared by every process of the machine that opens the same name, as a
// Windows named mutex is. The operating system gives it back when its holder ends, however it
// ends (a crash, kill -9, a test time-out), so a dead program never stalls the others.
//
// Here it is an flock on the file NAME in the lock folder: ZO_LOCK_DIR when that is set and not
// empty, else /dev/shm. The first process creates the file readable and writable by every user
// whatever its umask, so every user of the hubs shares it; the lock needs only read access, so a
// file that another user made read-only still works. The threads of one process that share one
// NamedLock take turns through a mutex of the object before they ask for the file.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zo::platform {

inline constexpr const char* kLockFolderVariable = "ZO_LOCK_DIR";

std::filesystem::path lockFolder();

// What a program may want to tell its user about a lock it waits for.
struct LockNotice {
    enum class Kind {
        Waiting,      // the wait has lasted `waited` and goes on, at most `limit` in all
        Obtained,     // a wait that was reported as Waiting ended with the lock
        GaveUp,       // a wait that was reported as Waiting ended without it after `limit`
        Unavailable,  // the lock's file cannot be used; `reason` says why
    };
    Kind kind = Kind::Waiting;
    std::string name;
    std::filesystem::path file;
    std::chrono::milliseconds waited{0};
    std::chrono::milliseconds limit{0};
    std::string reason;
};

using LockObserver = std::function<void(const LockNotice&)>;

// Sets the process's observer of named locks (none: nobody is told). A wait is reported once it
// has lasted `waitingAfter`, and then again when it ends. The observer runs on the waiting
// thread and must not take named locks itself.
void observeNamedLocks(LockObserver observer, std::chrono::milliseconds waitingAfter);

struct NamedLockState;

class NamedLock {
  public:
    // Opens or creates the lock NAME (letters, digits and '_' only). None when the name is not
    // plain or the file cannot be used; the observer hears why.
    static std::optional<NamedLock> open(const std::string& name);

    NamedLock(NamedLock&&) noexcept;
    NamedLock& operator=(NamedLock&&) noexcept;
    ~NamedLock();

    // Takes the lock, waiting at most `limit`; false when the time ran out.
    bool acquire(std::chrono::milliseconds limit);
    // Gives back a lock that acquire() obtained.
    void release();

  private:
    explicit NamedLock(std::unique_ptr<NamedLockState> state);

    std::unique_ptr<NamedLockState> state_;
};

}  // namespace zo::platform

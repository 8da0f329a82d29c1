#pragma once
// A counting semaphore with a name, shared by every process that opens the same name, as the
// Windows named semaphores are. It is created with the initial count when no process holds it
// yet, and attached to otherwise. On Linux a POSIX named semaphore ("/NAME"), which stays in the
// system after the last process closes it, with its count, so it is never removed here; on Windows
// a named semaphore object of the session whose maximum count is its initial count.

#include <chrono>
#include <optional>
#include <string>

namespace zo::platform {

class NamedSemaphore {
  public:
    // Creates or attaches to the semaphore NAME (letters, digits and '_' only). None when the
    // system refuses it.
    static std::optional<NamedSemaphore> openOrCreate(const std::string& name,
                                                      unsigned initialCount);

    NamedSemaphore(NamedSemaphore&& other) noexcept;
    NamedSemaphore& operator=(NamedSemaphore&& other) noexcept;
    NamedSemaphore(const NamedSemaphore&) = delete;
    NamedSemaphore& operator=(const NamedSemaphore&) = delete;
    ~NamedSemaphore();

    // Takes one count, waiting at most `limit`; false when the time ran out or the wait failed.
    bool acquire(std::chrono::milliseconds limit);
    // Gives one count back.
    void release();

  private:
    explicit NamedSemaphore(void* semaphore) : semaphore_(semaphore) {}
    void close();

    void* semaphore_ = nullptr;  // the system's semaphore: a sem_t* on Linux, a HANDLE on Windows
};

}  // namespace zo::platform

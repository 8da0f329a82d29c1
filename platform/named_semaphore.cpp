#include "platform/named_semaphore.h"

#include <fcntl.h>
#include <semaphore.h>

#include <cerrno>
#include <ctime>
#include <utility>

namespace zo::platform {

namespace {

bool isPlainName(const std::string& name) {
    if (name.empty() || name.size() > 200) {
        return false;
    }
    for (const char c : name) {
        const bool allowed =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

timespec deadlineAfter(std::chrono::milliseconds limit) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const auto total = std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec) +
                       std::chrono::duration_cast<std::chrono::nanoseconds>(limit);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(total);
    return {static_cast<time_t>(seconds.count()), static_cast<long>((total - seconds).count())};
}

}  // namespace

std::optional<NamedSemaphore> NamedSemaphore::openOrCreate(const std::string& name,
                                                           unsigned initialCount) {
    if (!isPlainName(name)) {
        return std::nullopt;
    }
    // Every user's processes may share the device, as they share it on Windows.
    const std::string path = "/" + name;
    sem_t* semaphore = ::sem_open(path.c_str(), O_CREAT, 0666, initialCount);
    if (semaphore == SEM_FAILED) {
        return std::nullopt;
    }
    return NamedSemaphore(semaphore);
}

NamedSemaphore::NamedSemaphore(NamedSemaphore&& other) noexcept
    : semaphore_(std::exchange(other.semaphore_, nullptr)) {}

NamedSemaphore& NamedSemaphore::operator=(NamedSemaphore&& other) noexcept {
    if (this != &other) {
        close();
        semaphore_ = std::exchange(other.semaphore_, nullptr);
    }
    return *this;
}

NamedSemaphore::~NamedSemaphore() {
    close();
}

void NamedSemaphore::close() {
    if (semaphore_ != nullptr) {
        ::sem_close(static_cast<sem_t*>(semaphore_));
        semaphore_ = nullptr;
    }
}

bool NamedSemaphore::acquire(std::chrono::milliseconds limit) {
    const timespec deadline = deadlineAfter(limit);
    while (::sem_clockwait(static_cast<sem_t*>(semaphore_), CLOCK_MONOTONIC, &deadline) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

void NamedSemaphore::release() {
    ::sem_post(static_cast<sem_t*>(semaphore_));
}

}  // namespace zo::platform

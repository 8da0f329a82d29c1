#include "platform/named_semaphore.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace zo::platform {

namespace {

bool isPlainName(const std::string& name) {
    return !name.empty() && name.size() <= 200 && std::ranges::all_of(name, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
}

}  // namespace

// The initial count is also the maximum, so a count given back twice is refused by the system
// instead of letting a third party in beside the holder.
std::optional<NamedSemaphore> NamedSemaphore::openOrCreate(const std::string& name,
                                                           unsigned initialCount) {
    if (!isPlainName(name) || initialCount > 0x7FFFFFFF) {
        return std::nullopt;
    }
    const auto count = static_cast<LONG>(initialCount);
    HANDLE semaphore = ::CreateSemaphoreA(nullptr, count, std::max(count, LONG{1}), name.c_str());
    if (semaphore == nullptr) {
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
        ::CloseHandle(semaphore_);
        semaphore_ = nullptr;
    }
}

bool NamedSemaphore::acquire(std::chrono::milliseconds limit) {
    const auto wait = static_cast<DWORD>(
        std::clamp<std::chrono::milliseconds::rep>(limit.count(), 0, INFINITE - 1));
    return ::WaitForSingleObject(semaphore_, wait) == WAIT_OBJECT_0;
}

void NamedSemaphore::release() {
    ::ReleaseSemaphore(semaphore_, 1, nullptr);
}

}  // namespace zo::platform

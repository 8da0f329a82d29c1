#pragma once
// Owns a Windows kernel object handle (file, semaphore) and closes it when it goes out of scope.

#include <windows.h>

#include <utility>

namespace zo::platform::win32 {

class SystemHandle {
  public:
    SystemHandle() = default;
    explicit SystemHandle(HANDLE handle) : handle_(handle) {}
    SystemHandle(SystemHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    SystemHandle& operator=(SystemHandle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    SystemHandle(const SystemHandle&) = delete;
    SystemHandle& operator=(const SystemHandle&) = delete;
    ~SystemHandle() {
        if (valid()) {
            ::CloseHandle(handle_);
        }
    }

    // Both null and INVALID_HANDLE_VALUE mean "none", as the functions that make handles differ.
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_ = nullptr;
};

}  // namespace zo::platform::win32

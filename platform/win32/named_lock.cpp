#include "platform/named_lock.h"

#include <windows.h>

#include <algorithm>
#include <system_error>
#include <utility>

#include "platform/environment_strings.h"
#include "platform/named_lock_support.h"
#include "platform/win32/lock_namespace.h"
#include "platform/win32/system_handle.h"

namespace zo::platform {

namespace win32 {

std::optional<std::string> lockObjectName(const std::string& name) {
    const std::optional<std::string> space = environmentVariable(kLockNamespaceVariable);
    if (!space || space->empty()) {
        return name;
    }
    if (space->size() > 50 || !named_lock_support::isPlainName(*space)) {
        return std::nullopt;
    }
    return *space + "_" + name;
}

}  // namespace win32

struct NamedLockState {
    std::string name;
    std::string objectName;
    win32::SystemHandle mutex;
};

namespace {

using named_lock_support::Clock;
using std::chrono::milliseconds;

// The longest single wait the system takes; a longer one is waited for in parts.
constexpr milliseconds kLongestSystemWait{INFINITE - 1};

DWORD systemWait(Clock::duration left) {
    const auto rounded = std::chrono::ceil<milliseconds>(std::max(left, Clock::duration::zero()));
    return static_cast<DWORD>(std::min(rounded, kLongestSystemWait).count());
}

}  // namespace

std::optional<NamedLock> NamedLock::open(const std::string& name) {
    if (!named_lock_support::isPlainName(name)) {
        return std::nullopt;
    }
    const std::optional<std::string> objectName = win32::lockObjectName(name);
    if (!objectName) {
        named_lock_support::tellUnavailable(
            name, name, std::string(win32::kLockNamespaceVariable) + " is not a plain name");
        return std::nullopt;
    }
    auto state = std::make_unique<NamedLockState>();
    state->name = name;
    state->objectName = *objectName;
    state->mutex = win32::SystemHandle(::CreateMutexA(nullptr, FALSE, objectName->c_str()));
    if (!state->mutex.valid()) {
        const std::error_code cause(static_cast<int>(::GetLastError()), std::system_category());
        named_lock_support::tellUnavailable(name, *objectName, cause.message());
        return std::nullopt;
    }
    return NamedLock(std::move(state));
}

NamedLock::NamedLock(std::unique_ptr<NamedLockState> state) : state_(std::move(state)) {}
NamedLock::NamedLock(NamedLock&&) noexcept = default;
NamedLock& NamedLock::operator=(NamedLock&&) noexcept = default;
NamedLock::~NamedLock() = default;

// A mutex whose holder ended without giving it back is handed on abandoned: the system has taken
// it from the dead holder, and the waiter owns it as after an ordinary wait.
bool NamedLock::acquire(milliseconds limit) {
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + limit;
    named_lock_support::WaitReport report(state_->name, state_->objectName, start, limit);
    bool obtained = false;
    for (;;) {
        const Clock::time_point until = std::min(deadline, report.dueAt());
        const DWORD result =
            ::WaitForSingleObject(state_->mutex.get(), systemWait(until - Clock::now()));
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
            obtained = true;
            break;
        }
        const Clock::time_point now = Clock::now();
        if (result != WAIT_TIMEOUT || now >= deadline) {
            break;
        }
        report.noteTime(now);
    }
    report.finish(obtained);
    return obtained;
}

void NamedLock::release() {
    ::ReleaseMutex(state_->mutex.get());
}

}  // namespace zo::platform

#include "kernel/sync.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

std::atomic_ref<LONG> stateOf(KEVENT* event) {
    return std::atomic_ref<LONG>(event->SignalState);
}

LONG volatileToPlain(LONG volatile* value, LONG delta) {
    // The counter is only ever changed through these functions, so viewing it as a plain LONG for
    // the atomic operation is sound.
    return std::atomic_ref<LONG>(*const_cast<LONG*>(value)).fetch_add(delta) + delta;
}

// Every event of the process is waited for on one condition variable: a setter wakes all waiters
// and each looks at its own event again. Waiting on the event's word itself (std::atomic::wait)
// can miss a wake-up where the standard library has no futex to build it on, as with mingw-w64.
struct EventWaits {
    std::mutex mutex;
    std::condition_variable changed;
};

// The waits outlive every static: a machine kept for the whole process (the environment's) is torn
// down by an exit handler of its own, and its bus thread sets events until then, which it could
// not do on a condition variable already destroyed by an exit handler that ran first.
EventWaits& eventWaits() {
    union Everlasting {
        EventWaits waits;
        Everlasting() : waits() {}
        ~Everlasting() {}  // never destroys `waits`
    };
    static Everlasting everlasting;
    return everlasting.waits;
}

}  // namespace

void KeInitializeEvent(KEVENT* event, EVENT_TYPE type, BOOLEAN state) {
    event->Type = type;
    stateOf(event).store(state ? 1 : 0);
}

LONG KeSetEvent(KEVENT* event, KPRIORITY, BOOLEAN) {
    EventWaits& waits = eventWaits();
    LONG previous = 0;
    {
        // Set under the mutex, so that a waiter between its look at the event and its sleep
        // cannot miss the wake-up; once unlocked the event is not touched again, as its waiter
        // may free it as soon as it wakes.
        const std::lock_guard lock(waits.mutex);
        previous = stateOf(event).exchange(1);
    }
    waits.changed.notify_all();
    return previous;
}

void KeClearEvent(KEVENT* event) {
    stateOf(event).store(0);
}

LONG KeReadStateEvent(KEVENT* event) {
    return stateOf(event).load();
}

NTSTATUS KeWaitForSingleObject(PVOID object, KWAIT_REASON, KPROCESSOR_MODE, BOOLEAN,
                               LARGE_INTEGER* timeout) {
    auto* event = static_cast<KEVENT*>(object);
    auto state = stateOf(event);
    const auto takeSignal = [&] {
        if (event->Type == SynchronizationEvent) {
            LONG expected = 1;
            return state.compare_exchange_strong(expected, 0);
        }
        return state.load() != 0;
    };
    // An event already signalled needs no sleep, so no look under the mutex either (a request
    // that completed in the sender's thread).
    if (takeSignal()) {
        return STATUS_SUCCESS;
    }
    EventWaits& waits = eventWaits();
    std::unique_lock lock(waits.mutex);
    if (timeout == nullptr) {
        waits.changed.wait(lock, takeSignal);
        return STATUS_SUCCESS;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::nanoseconds(-timeout->QuadPart * 100);
    return waits.changed.wait_until(lock, deadline, takeSignal) ? STATUS_SUCCESS : STATUS_TIMEOUT;
}

void KeInitializeSpinLock(KSPIN_LOCK* lock) {
    *lock = 0;
}

void KeAcquireSpinLock(KSPIN_LOCK* lock, KIRQL* oldIrql) {
    std::atomic_ref<KSPIN_LOCK> word(*lock);
    KSPIN_LOCK expected = 0;
    while (!word.compare_exchange_weak(expected, 1, std::memory_order_acquire)) {
        expected = 0;
        std::this_thread::yield();
    }
    *oldIrql = 0;
}

void KeReleaseSpinLock(KSPIN_LOCK* lock, KIRQL) {
    std::atomic_ref<KSPIN_LOCK>(*lock).store(0, std::memory_order_release);
}

LONG InterlockedIncrement(LONG volatile* value) {
    return volatileToPlain(value, 1);
}

LONG InterlockedDecrement(LONG volatile* value) {
    return volatileToPlain(value, -1);
}

// Shared words are only ever touched through these functions, so viewing them as plain objects
// for the atomic operation is sound.
LONG InterlockedExchange(LONG volatile* target, LONG value) {
    return std::atomic_ref<LONG>(*const_cast<LONG*>(target)).exchange(value);
}

PVOID InterlockedExchangePointer(PVOID volatile* target, PVOID value) {
    return std::atomic_ref<PVOID>(*const_cast<PVOID*>(target)).exchange(value);
}

LONG ReadAcquire(LONG const volatile* source) {
    return std::atomic_ref<LONG>(*const_cast<LONG*>(source)).load(std::memory_order_acquire);
}

PVOID ReadPointerAcquire(PVOID const volatile* source) {
    return std::atomic_ref<PVOID>(*const_cast<PVOID*>(source)).load(std::memory_order_acquire);
}

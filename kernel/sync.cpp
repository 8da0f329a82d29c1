#include "kernel/sync.h"

#include <atomic>
#include <chrono>
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

}  // namespace

void KeInitializeEvent(KEVENT* event, EVENT_TYPE type, BOOLEAN state) {
    event->Type = type;
    stateOf(event).store(state ? 1 : 0);
}

LONG KeSetEvent(KEVENT* event, KPRIORITY, BOOLEAN) {
    const LONG previous = stateOf(event).exchange(1);
    stateOf(event).notify_all();
    return previous;
}

void KeClearEvent(KEVENT* event) {
    stateOf(event).store(0);
}

LONG KeReadStateEvent(KEVENT* event) {
    return stateOf(event).load();
}

NTSTATUS KeWaitForSingleObject(KEVENT* event, KWAIT_REASON, KPROCESSOR_MODE, BOOLEAN,
                               const LARGE_INTEGER* timeout) {
    auto state = stateOf(event);
    const auto takeSignal = [&] {
        if (event->Type == SynchronizationEvent) {
            LONG expected = 1;
            return state.compare_exchange_strong(expected, 0);
        }
        return state.load() != 0;
    };
    if (timeout == nullptr) {
        while (!takeSignal()) {
            state.wait(0);
        }
        return STATUS_SUCCESS;
    }
    // Waits with a bound poll the event; only the stand-in's own tests and tools use them.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::nanoseconds(-timeout->QuadPart * 100);
    while (!takeSignal()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return STATUS_TIMEOUT;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return STATUS_SUCCESS;
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

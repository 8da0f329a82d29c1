#pragma once
// Kernel synchronisation: notification events, spin locks and interlocked counters. All of them
// are plain data that may live in zero-filled memory (a device extension) and are initialised in
// place, as in the Windows kernel.

#include "kernel/ntstatus.h"
#include "kernel/wdm_types.h"

struct KEVENT {
    LONG SignalState;
    LONG Type;  // EVENT_TYPE
};

using KSPIN_LOCK = ULONG_PTR;

struct LARGE_INTEGER {
    std::int64_t QuadPart;
};

void KeInitializeEvent(KEVENT* event, EVENT_TYPE type, BOOLEAN state);
// Signals the event and wakes its waiters; returns the previous state.
LONG KeSetEvent(KEVENT* event, KPRIORITY increment, BOOLEAN wait);
void KeClearEvent(KEVENT* event);
LONG KeReadStateEvent(KEVENT* event);
// Waits until the object, an event (the stand-in's one kind of dispatcher object), is signalled.
// With a timeout (relative, negative, in 100 ns units) it returns STATUS_TIMEOUT when it runs out;
// without one it waits for ever.
NTSTATUS KeWaitForSingleObject(PVOID object, KWAIT_REASON reason, KPROCESSOR_MODE mode,
                               BOOLEAN alertable, LARGE_INTEGER* timeout);
inline constexpr NTSTATUS STATUS_TIMEOUT = 0x00000102;

void KeInitializeSpinLock(KSPIN_LOCK* lock);
void KeAcquireSpinLock(KSPIN_LOCK* lock, KIRQL* oldIrql);
void KeReleaseSpinLock(KSPIN_LOCK* lock, KIRQL oldIrql);

LONG InterlockedIncrement(LONG volatile* value);
LONG InterlockedDecrement(LONG volatile* value);
// Atomic stores and loads of a word that threads share: a read with acquire sees everything the
// writer did before its exchange, which returns the previous value.
LONG InterlockedExchange(LONG volatile* target, LONG value);
PVOID InterlockedExchangePointer(PVOID volatile* target, PVOID value);
LONG ReadAcquire(LONG const volatile* source);
PVOID ReadPointerAcquire(PVOID const volatile* source);

#pragma once
// What zousbdrv calls on in the Windows kernel's interface and the mingw-w64 DDK headers lack,
// written here as the Windows driver kit defines it. Nothing else belongs here: whatever the DDK
// declares, the driver takes from the DDK.

// Loads of a word other threads write with the interlocked functions: acquire semantics, so the
// reader sees everything the writer did before its exchange (wdm.h of the Windows 10 driver kit).
inline LONG ReadAcquire(LONG const volatile* Source) {
    return __atomic_load_n(Source, __ATOMIC_ACQUIRE);
}

inline PVOID ReadPointerAcquire(PVOID const volatile* Source) {
    return __atomic_load_n(Source, __ATOMIC_ACQUIRE);
}

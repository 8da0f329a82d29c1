#pragma once
// A driver broke a rule of the kernel (freed foreign memory, ran off its stack locations,
// mishandled a pending request): stop the machine with a message, as the Windows kernel stops the
// system, naming the bug check code and its four parameters as a crash dump shows them.

#include <array>

#include "kernel/wdm_types.h"

// Bug check codes, with the values and names Windows uses.
inline constexpr ULONG MULTIPLE_IRP_COMPLETE_REQUESTS = 0x44;
inline constexpr ULONG DRIVER_VERIFIER_IOMANAGER_VIOLATION = 0xC9;

namespace zo::kernel {

[[noreturn]] void bugCheck(const char* what);
// Stops with "bug check NAME (0xCODE) [P1, P2, P3, P4]: what".
[[noreturn]] void bugCheck(ULONG code, const std::array<ULONG_PTR, 4>& parameters,
                           const char* what);

}  // namespace zo::kernel

#pragma once
// A driver broke a rule of the kernel (freed foreign memory, ran off its stack locations): stop
// the machine with a message, as the Windows kernel stops the system.

namespace zo::kernel {
[[noreturn]] void bugCheck(const char* what);
}

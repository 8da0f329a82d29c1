#pragma once
// The operating system's own answer to "does this process run as a 32-bit program under
// emulation on a 64-bit system?" (platform/process_architecture.h lets tests put in another).

namespace zo::platform {

bool runsUnder32BitEmulation() noexcept;

}  // namespace zo::platform

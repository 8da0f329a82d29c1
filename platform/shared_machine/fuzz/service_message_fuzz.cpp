// libFuzzer target for the messages of the shared machine's protocol, built with clang and run by
// scripts/fuzz.sh: any input either is refused or decodes to a message that encodes back to the
// same bytes, and the sanitizers see no fault on the way.

#include <cstdint>
#include <cstdlib>

#include "platform/shared_machine/fuzz/message_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!zo::platform::service::decodesCanonically({data, size})) {
        std::abort();
    }
    return 0;
}

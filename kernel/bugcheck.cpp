#include "kernel/bugcheck.h"

#include <cstdio>
#include <cstdlib>

namespace zo::kernel {

void bugCheck(const char* what) {
    std::fprintf(stderr, "kernel stand-in: bug check: %s\n", what);
    std::abort();
}

}  // namespace zo::kernel

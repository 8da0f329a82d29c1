#include "kernel/bugcheck.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace zo::kernel {

namespace {

const char* codeName(ULONG code) {
    switch (code) {
        case MULTIPLE_IRP_COMPLETE_REQUESTS:
            return "MULTIPLE_IRP_COMPLETE_REQUESTS";
        case DRIVER_VERIFIER_IOMANAGER_VIOLATION:
            return "DRIVER_VERIFIER_IOMANAGER_VIOLATION";
        default:
            return "BUGCHECK";
    }
}

}  // namespace

void bugCheck(const char* what) {
    std::fprintf(stderr, "kernel stand-in: bug check: %s\n", what);
    std::abort();
}

void bugCheck(ULONG code, const std::array<ULONG_PTR, 4>& parameters, const char* what) {
    std::fprintf(stderr,
                 "kernel stand-in: bug check %s (0x%" PRIX32 ") [0x%" PRIXPTR ", 0x%" PRIXPTR
                 ", 0x%" PRIXPTR ", 0x%" PRIXPTR "]: %s\n",
                 codeName(code), code, parameters[0], parameters[1], parameters[2], parameters[3],
                 what);
    std::abort();
}

}  // namespace zo::kernel

#include "host/process_exit.h"

#include <windows.h>

// The loader's own answer: true from the moment ExitProcess has ended the other threads and
// begun unloading the libraries.
extern "C" BOOLEAN NTAPI RtlDllShutdownInProgress(void);

namespace zo::host {

bool otherThreadsHaveEnded() {
    return RtlDllShutdownInProgress() != FALSE;
}

}  // namespace zo::host

#include "labview/attach_probing.h"

namespace zo::quintellv {

// The loader runs a DLL's constructor hooks from its entry point while it holds the loader lock.
// Probing there would wait for threads that cannot start until the lock is free (the simulated
// machine's bus thread, which completes every transfer). The first LvQnOpenDevice loads the
// driver instead, and LvQnEnumDevices probes through QnEnumDevices, which probes while nothing
// was probed yet.
bool attachMayProbe() {
    return false;
}

}  // namespace zo::quintellv

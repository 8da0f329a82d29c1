// Attaching to and detaching from a process on Windows: the entries are freed at load, the driver
// is loaded on first use, and QnUnloadDriver runs at unload.
//
// The loader runs a DLL's constructor hooks from its entry point while it holds the loader lock.
// Probing there would wait for threads that cannot start until the lock is free (the simulated
// machine's bus thread, which completes every transfer), so attach does not probe: the first
// LvQnOpenDevice loads the driver, and LvQnEnumDevices probes through QnEnumDevices, which probes
// when nothing was probed yet.
//
// Detach is registered with atexit from attach: a DLL's atexit handlers run when it is unloaded,
// before the machine made on first use is destroyed.

#include <cstdlib>

#include "include/QuintelDrv.h"
#include "labview/device_entries.h"

namespace {

void detach() {
    QnUnloadDriver();
}

__attribute__((constructor)) void attach() {
    using namespace zo::quintellv;
    freeAllEntries();
    setDriverLoaded(false);
    std::atexit(detach);
}

}  // namespace

// Attaching to and detaching from a process: probing at load where the system allows it
// (attach_probing.h), QnUnloadDriver at unload.
//
// Attach runs as the shared object's constructor. By then the loader has initialised QuintelDrv
// and libZoSystem.so (they are our dependencies), so QnLoadDriver may probe; the kernel stand-in
// creates the process's simulated machine on that first use and registers its destruction then.
//
// Detach is registered with atexit from attach, not placed in a destructor hook. atexit called
// from a shared object binds the handler to that object, so it runs at dlclose, and at process
// exit it runs in reverse order of registration: before the destruction of the machine created
// during attach (or earlier). A destructor hook would run after it whenever the library was
// loaded with dlopen, as LabVIEW does, and QnUnloadDriver would then reach a destroyed machine.

#include <cstdlib>

#include "include/QuintelDrv.h"
#include "labview/attach_probing.h"
#include "labview/device_entries.h"

namespace {

void detach() {
    QnUnloadDriver();
}

__attribute__((constructor)) void attach() {
    using namespace zo::quintellv;
    freeAllEntries();
    setDriverLoaded(attachMayProbe() && QnLoadDriver() == QN_OK);
    std::atexit(detach);
}

}  // namespace

#pragma once
// Whether the process is ending and the system has already stopped every other thread, as Windows
// does before it unloads the process's libraries (whose atexit handlers and static destructors run
// then). Another thread can then no longer be waited for, and what it held stays held. Linux runs
// those handlers while every thread still runs, so there the answer is always no.

namespace zo::host {

bool otherThreadsHaveEnded();

}  // namespace zo::host

#include "tools/zousbdiag/stop_request.h"

#include <windows.h>

#include <atomic>

namespace zousbdiag {

namespace {

std::atomic<bool> stopRequested{false};

// The console calls its handlers on a thread of their own: this one only records the wish, and
// the command looks at it between its steps.
BOOL WINAPI requestStop(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    stopRequested = true;
    return TRUE;
}

}  // namespace

StopRequest::StopRequest() {
    stopRequested = false;
    ::SetConsoleCtrlHandler(requestStop, TRUE);
}

StopRequest::~StopRequest() {
    ::SetConsoleCtrlHandler(requestStop, FALSE);
}

bool StopRequest::requested() const {
    return stopRequested;
}

}  // namespace zousbdiag

#include "tools/zousbdiag/stop_request.h"

#include <csignal>

namespace zousbdiag {

namespace {

volatile std::sig_atomic_t stopRequested = 0;
struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};

void requestStop(int) {
    stopRequested = 1;
}

}  // namespace

StopRequest::StopRequest() {
    stopRequested = 0;
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait the signal interrupts returns, so the command looks at once.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
}

StopRequest::~StopRequest() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
}

bool StopRequest::requested() const {
    return stopRequested != 0;
}

}  // namespace zousbdiag

#pragma once
// Ctrl-C (SIGINT) and SIGTERM ask a long-running command to end cleanly, instead of ending the
// process in the middle of it, for as long as a StopRequest lives.

namespace zousbdiag {

class StopRequest {
  public:
    StopRequest();
    ~StopRequest();
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    bool requested() const;
};

}  // namespace zousbdiag

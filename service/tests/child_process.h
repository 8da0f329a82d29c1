#pragma once
// Test support: a program run in a process of its own, talked to line by line through its
// standard input and output, with an environment of the test's choosing.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_descriptor.h"

namespace zo::zousbsim::testing {

class ChildProcess {
  public:
    // The environment is this process's, with `variables` ("NAME=VALUE") replacing those of the
    // same name. Standard error is this process's.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& variables);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();  // ends its input, and kills it when it does not end by itself soon

    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }

    bool send(const std::string& line);
    // The next line it writes, without the newline; nullopt when it ended or the time ran out.
    std::optional<std::string> readLine(
        std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // All it writes until it ends.
    std::string readAll(std::chrono::milliseconds timeout = std::chrono::seconds(20));

    void kill(int signal);
    // Its exit status once it ended; -1 when a signal ended it.
    int wait();

  private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    int exitStatus_ = -1;
    platform::FileDescriptor input_;
    platform::FileDescriptor output_;
    std::string buffered_;
};

}  // namespace zo::zousbsim::testing

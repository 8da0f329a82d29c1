#include "service/tests/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string_view>
#include <thread>

extern char** environ;

namespace zo::zousbsim::testing {

namespace {

std::vector<std::string> environmentWith(const std::vector<std::string>& variables) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        bool replaced = false;
        for (const std::string& variable : variables) {
            const std::string_view name =
                std::string_view(variable).substr(0, variable.find('=') + 1);
            replaced = replaced || text.starts_with(name);
        }
        if (!replaced) {
            result.emplace_back(text);
        }
    }
    result.insert(result.end(), variables.begin(), variables.end());
    return result;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& variables) {
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0) {
        return;
    }
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        ::close(toChild[0]);
        ::close(toChild[1]);
        return;
    }
    const platform::FileDescriptor childInput(toChild[0]);
    const platform::FileDescriptor childOutput(fromChild[1]);
    input_ = platform::FileDescriptor(toChild[1]);
    output_ = platform::FileDescriptor(fromChild[0]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, childInput.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, childOutput.get(), STDOUT_FILENO);
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp = environmentWith(variables);
    std::vector<char*> argvPointers = pointersTo(argv);
    std::vector<char*> envpPointers = pointersTo(envp);
    if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argvPointers.data(),
                      envpPointers.data()) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
    if (!started() || reaped_) {
        return;
    }
    // The end of its input asks it to finish what it does and end: a program killed inside a
    // sequence would leave the library's access lock taken for every later process.
    input_ = platform::FileDescriptor();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(SIGKILL);
            wait();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    reaped_ = true;
}

bool ChildProcess::send(const std::string& line) {
    const std::string text = line + '\n';
    return ::write(input_.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (const std::size_t end = buffered_.find('\n'); end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd watched{output_.get(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0) {
            return std::nullopt;
        }
        char chunk[512];
        const ssize_t got = ::read(output_.get(), chunk, sizeof chunk);
        if (got <= 0) {
            return std::nullopt;
        }
        buffered_.append(chunk, static_cast<std::size_t>(got));
    }
}

std::string ChildProcess::readAll(std::chrono::milliseconds timeout) {
    std::string text;
    while (const std::optional<std::string> line = readLine(timeout)) {
        text += *line + '\n';
    }
    return text + std::exchange(buffered_, {});
}

void ChildProcess::kill(int signal) {
    if (started() && !reaped_) {
        ::kill(pid_, signal);
    }
}

int ChildProcess::wait() {
    if (started() && !reaped_) {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        reaped_ = true;
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return exitStatus_;
}

}  // namespace zo::zousbsim::testing

// zousbsim start: `zousbsim run` in a session of its own, detached from the terminal, with its
// output in zousbsim.log beside the socket. The starter waits until the service serves, or says
// why it cannot, and never longer than kStartLimit.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <string>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/shared_machine/service_location.h"
#include "platform/shared_machine/service_session.h"
#include "service/commands.h"

extern char** environ;

namespace zo::zousbsim {

namespace {

using platform::FileDescriptor;

constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr int kReadyFd = 3;

std::string ownProgram() {
    std::vector<char> path(PATH_MAX);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    return length > 0 ? std::string(path.data(), static_cast<std::size_t>(length)) : "zousbsim";
}

// Everything the child writes to the pipe until it closes it, or until the time is up.
std::string readUntilClosed(int fd) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd watched{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0) {
            return text;
        }
        char buffer[256];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            return text;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

// Starts the child with the pipe's writing end as kReadyFd; its pid, or -1.
pid_t spawnService(const std::string& program, int readyWrite, const std::string& log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, readyWrite, kReadyFd);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    std::vector<std::string> arguments{program, "run", "--ready-fd", std::to_string(kReadyFd)};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = -1;
    const int spawned =
        ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? child : -1;
}

}  // namespace

int startService(const std::filesystem::path& socket, std::ostream& out, std::ostream& err) {
    std::int32_t status = 0;
    if (const auto running = platform::service::ServiceSession::connect(socket, status)) {
        out << "zousbsim: already running (process " << running->servicePid() << ") at "
            << socket.string() << '\n';
        return kExitSuccess;
    }
    if (const std::string problem = platform::service::preparePrivateFolder(socket.parent_path());
        !problem.empty()) {
        err << "zousbsim: " << problem << '\n';
        return kExitFailure;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        err << "zousbsim: cannot make a pipe\n";
        return kExitFailure;
    }
    const FileDescriptor readEnd(ends[0]);
    FileDescriptor writeEnd(ends[1]);
    const std::string log = (socket.parent_path() / "zousbsim.log").string();
    const pid_t child = spawnService(ownProgram(), writeEnd.get(), log);
    writeEnd = FileDescriptor();  // only the child holds it now: its closing ends the wait
    if (child < 0) {
        err << "zousbsim: cannot start the service\n";
        return kExitFailure;
    }
    const std::string answer = readUntilClosed(readEnd.get());
    if (answer != "ready\n") {
        err << "zousbsim: the service did not start: "
            << (answer.empty() ? "no answer (see " + log + ")\n" : answer);
        return kExitFailure;
    }
    out << "zousbsim: started (process " << child << ") at " << socket.string() << '\n';
    return kExitSuccess;
}

}  // namespace zo::zousbsim

#include "tools/zousbdiag/tests/tool_run.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace zousbdiag::testing_support {

namespace {

// The parent's environment without the machine's variables, plus ZOUSB_DEVICES=devices, and no
// shared machine: a zousbsim the user runs must not lend the tool its hubs.
std::vector<std::string> environmentWith(const std::string& devices) {
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string_view text(*variable);
        if (!text.starts_with("ZOUSB_DEVICES=") && !text.starts_with("ZOUSB_CAPTURE=") &&
            !text.starts_with("ZOUSB_SERVICE=")) {
            variables.emplace_back(text);
        }
    }
    variables.push_back("ZOUSB_DEVICES=" + devices);
    variables.push_back("ZOUSB_SERVICE=");
    return variables;
}

}  // namespace

RunningTool::RunningTool(const std::string& devices, std::vector<std::string> arguments) {
    const std::filesystem::path folder = ::testing::TempDir();
    const std::string stem = "zousbdiag_" + std::to_string(getpid());
    outPath_ = folder / (stem + ".out");
    errPath_ = folder / (stem + ".err");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    arguments.insert(arguments.begin(), ZOUSBDIAG_PATH);
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> environment = environmentWith(devices);
    std::vector<char*> envp;
    for (std::string& variable : environment) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);

    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, ZOUSBDIAG_PATH, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << ZOUSBDIAG_PATH;
        return;
    }
    child_ = child;
}

void RunningTool::interrupt() {
    if (child_ >= 0) {
        kill(child_, SIGINT);
    }
}

std::string RunningTool::errorsSoFar() const {
    return fileText(errPath_);
}

ToolRun RunningTool::finish() {
    ToolRun run;
    if (child_ < 0) {
        return run;
    }
    int status = 0;
    waitpid(child_, &status, 0);
    child_ = -1;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = fileText(outPath_);
    run.err = fileText(errPath_);
    std::filesystem::remove(outPath_);
    std::filesystem::remove(errPath_);
    return run;
}

ToolRun runTool(const std::string& devices, std::vector<std::string> arguments) {
    return RunningTool(devices, std::move(arguments)).finish();
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

ToolRun runToolInterrupted(const std::string& devices, std::vector<std::string> arguments,
                           const std::filesystem::path& ready, std::chrono::milliseconds after) {
    RunningTool tool(devices, std::move(arguments));
    for (int poll = 0; poll < 1000 && !std::filesystem::exists(ready); ++poll) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(after);
    tool.interrupt();
    return tool.finish();
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::map<std::string, int> distinctLines(const std::string& command) {
    std::map<std::string, int> lines;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        return lines;
    }
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe.get()) != nullptr) {
        ++lines[buffer.data()];
    }
    return lines;
}

}  // namespace zousbdiag::testing_support

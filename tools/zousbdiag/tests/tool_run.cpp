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

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The parent's environment without the machine's variables, plus ZOUSB_DEVICES=devices.
std::vector<std::string> environmentWith(const std::string& devices) {
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string_view text(*variable);
        if (!text.starts_with("ZOUSB_DEVICES=") && !text.starts_with("ZOUSB_CAPTURE=")) {
            variables.emplace_back(text);
        }
    }
    variables.push_back("ZOUSB_DEVICES=" + devices);
    return variables;
}

struct Interruption {
    std::filesystem::path ready;
    std::chrono::milliseconds after;
};

ToolRun run(const std::string& devices, std::vector<std::string> arguments,
            const std::optional<Interruption>& interruption) {
    const std::filesystem::path folder = ::testing::TempDir();
    const std::string stem = "zousbdiag_" + std::to_string(getpid());
    const std::filesystem::path outPath = folder / (stem + ".out");
    const std::filesystem::path errPath = folder / (stem + ".err");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
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

    ToolRun run;
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, ZOUSBDIAG_PATH, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << ZOUSBDIAG_PATH;
        return run;
    }
    if (interruption) {
        for (int poll = 0; poll < 1000 && !std::filesystem::exists(interruption->ready); ++poll) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::this_thread::sleep_for(interruption->after);
        kill(child, SIGINT);
    }
    int status = 0;
    waitpid(child, &status, 0);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return run;
}

}  // namespace

ToolRun runTool(const std::string& devices, std::vector<std::string> arguments) {
    return run(devices, std::move(arguments), std::nullopt);
}

ToolRun runToolInterrupted(const std::string& devices, std::vector<std::string> arguments,
                           const std::filesystem::path& ready, std::chrono::milliseconds after) {
    return run(devices, std::move(arguments), Interruption{ready, after});
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

#pragma once
// Runs the built zousbdiag in its own process, as a support engineer would, with its own
// simulated machine from ZOUSB_DEVICES.

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace zousbdiag::testing_support {

struct ToolRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

ToolRun runTool(const std::string& devices, std::vector<std::string> arguments);
// As runTool, but sends SIGINT (Ctrl-C) to the tool once `ready` exists (the tool has come so far)
// and `after` more has passed.
ToolRun runToolInterrupted(const std::string& devices, std::vector<std::string> arguments,
                           const std::filesystem::path& ready, std::chrono::milliseconds after);

bool contains(const std::string& text, const std::string& part);

// Every distinct line a shell command prints, with how often.
std::map<std::string, int> distinctLines(const std::string& command);

}  // namespace zousbdiag::testing_support

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

// The tool started and not yet waited for, so a test can act on what it has said so far.
class RunningTool {
  public:
    RunningTool(const std::string& devices, std::vector<std::string> arguments);
    ~RunningTool() { finish(); }
    RunningTool(const RunningTool&) = delete;
    RunningTool& operator=(const RunningTool&) = delete;

    std::string errorsSoFar() const;
    // Sends SIGINT (Ctrl-C) to the tool.
    void interrupt();
    // Waits for the tool to end (once; later calls answer an empty run).
    ToolRun finish();

  private:
    std::string outPath_;
    std::string errPath_;
    int child_ = -1;
};

bool contains(const std::string& text, const std::string& part);

// Every distinct line a shell command prints, with how often.
std::map<std::string, int> distinctLines(const std::string& command);

// The whole content of a text file; empty when it cannot be read.
std::string fileText(const std::filesystem::path& path);

}  // namespace zousbdiag::testing_support

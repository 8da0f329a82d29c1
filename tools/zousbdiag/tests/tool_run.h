#pragma once
// Runs the built zousbdiag in its own process, as a support engineer would, with its own
// simulated machine from ZOUSB_DEVICES.

#include <filesystem>
#include <string>
#include <vector>

namespace zousbdiag::testing_support {

struct ToolRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

ToolRun runTool(const std::string& devices, std::vector<std::string> arguments);

bool contains(const std::string& text, const std::string& part);

// The whole content of a text file; empty when it cannot be read.
std::string fileText(const std::filesystem::path& path);

}  // namespace zousbdiag::testing_support

// zousbdiag: the diagnostic command-line tool for the hubs and their driver.

#include <iostream>
#include <string_view>
#include <vector>

#include "tools/zousbdiag/commands.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const zousbdiag::ParsedCommandLine parsed = zousbdiag::parseCommandLine(arguments);
    if (!parsed.error.empty()) {
        std::cerr << "zousbdiag: " << parsed.error << "\nRun 'zousbdiag --help' for usage.\n";
        return zousbdiag::kExitUsage;
    }
    return zousbdiag::runCommand(parsed.command, std::cout, std::cerr);
}

#include <iostream>
#include <string>
#include <vector>

#include "service/commands.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const zo::zousbsim::ParsedCommand parsed = zo::zousbsim::parseCommandLine(arguments);
    if (!parsed.command) {
        std::cerr << "zousbsim: " << parsed.error << '\n';
        return zo::zousbsim::kExitUsage;
    }
    return zo::zousbsim::runCommand(*parsed.command, std::cout, std::cerr);
}

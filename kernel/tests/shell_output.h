#pragma once
// What a shell command prints on standard output (standard error discarded), for the tests that
// read a capture back with tshark.

#include <cstdio>
#include <string>

namespace zo::test {

inline std::string shellOutput(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    ::pclose(pipe);
    return output;
}

}  // namespace zo::test

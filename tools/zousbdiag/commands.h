#pragma once
// The tool's commands. Each writes its results to out and its complaints to err, and answers the
// process exit status.

#include <optional>
#include <ostream>
#include <string>

#include "tools/zousbdiag/command_line.h"
#include "tools/zousbdiag/hub_connection.h"

namespace zousbdiag {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // a hub is missing, a request failed, the machine is broken
inline constexpr int kExitUsage = 2;    // the command line is wrong

// Checks that the simulated machine came up as configured, then runs the command.
int runCommand(const Command& command, std::ostream& out, std::ostream& err);

void printUsage(std::ostream& out);
void printParameterReference(std::ostream& out);
void printModeReference(std::ostream& out);
int runList(std::ostream& out, std::ostream& err);
int runDescriptors(unsigned instance, std::ostream& out, std::ostream& err);
int runIoctl(const Command& command, std::ostream& out, std::ostream& err);
int runVersion(unsigned instance, std::ostream& out, std::ostream& err);
int runLastStatus(unsigned instance, std::ostream& out, std::ostream& err);
int runEnumerate(std::ostream& out, std::ostream& err);
int runDeviceInfo(unsigned id, std::ostream& out, std::ostream& err);
int runHardwareError(unsigned id, std::ostream& out, std::ostream& err);
int runReadRegister(const Command& command, std::ostream& out, std::ostream& err);
int runWriteRegister(const Command& command, std::ostream& out, std::ostream& err);
int runSettings(unsigned id, std::ostream& out, std::ostream& err);
int runSet(const Command& command, std::ostream& out, std::ostream& err);
int runOutputs(const Command& command, std::ostream& out, std::ostream& err);
int runMeasure(const Command& command, std::ostream& out, std::ostream& err);
int runCapture(const Command& command, std::ostream& out, std::ostream& err);
int runRecord(const Command& command, std::ostream& out, std::ostream& err);
int runDisassemble(const Command& command, std::ostream& out, std::ostream& err);
int runIsoRead(const Command& command, std::ostream& out, std::ostream& err);
int runStream(const Command& command, std::ostream& out, std::ostream& err);

// "STATUS_INVALID_PARAMETER (0xC000000D)"
std::string describeStatus(zo::platform::KernelStatus status);

// Opens the hub, or tells err why it cannot be opened.
std::optional<HubConnection> openHubOrReport(unsigned instance, std::ostream& err,
                                             bool from32BitProcess = false);

}  // namespace zousbdiag

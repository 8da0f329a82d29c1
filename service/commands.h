#pragma once
// zousbsim's commands. Each writes its results to out and its complaints to err and answers the
// process exit status: 0 done, 1 failed, 2 wrong command line.

#include <filesystem>
#include <ostream>

#include "platform/shared_machine/service_session.h"
#include "service/command_line.h"

namespace zo::zousbsim {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int runCommand(const Command& command, std::ostream& out, std::ostream& err);

// Serves in the foreground until stopped.
int runService(const std::filesystem::path& socket, std::optional<int> readyFd, std::ostream& err);
// Starts `run` in the background and waits until it serves or says why it cannot.
int startService(const std::filesystem::path& socket, std::ostream& out, std::ostream& err);
int stopService(const std::filesystem::path& socket, std::ostream& out, std::ostream& err);
// The requests to a running service, on a session connected to it.
int showStatus(platform::service::ServiceSession& session, const std::filesystem::path& socket,
               std::ostream& out, std::ostream& err);
int plugHub(platform::service::ServiceSession& session, const Command& command, std::ostream& out,
            std::ostream& err);
int unplugHub(platform::service::ServiceSession& session, const Command& command, std::ostream& out,
              std::ostream& err);
int setCapture(platform::service::ServiceSession& session, const Command& command,
               std::ostream& out, std::ostream& err);

}  // namespace zo::zousbsim

#pragma once
// Where zousbsim, the service of the shared simulated machine, listens: the socket named by
// ZOUSB_SERVICE, else "zousb/zousbsim.socket" in $XDG_RUNTIME_DIR, else in /tmp/zousb-<uid>.
// ZOUSB_SERVICE set but empty means "no service": every process keeps its own machine.
//
// The socket's folder must be the user's alone, so that nobody else can reach the service or put
// a socket of their own in its place.

#include <filesystem>
#include <optional>
#include <string>

namespace zo::platform::service {

// Nullopt when ZOUSB_SERVICE is set and empty.
std::optional<std::filesystem::path> serviceSocketPath();

// The file the running service keeps locked, beside its socket: free once the service is gone.
std::filesystem::path serviceLockPath(const std::filesystem::path& socket);

// Creates the socket's folder (mode 0700) when it is missing, then checks it. Empty when the
// folder is fit for the service, else why not.
std::string preparePrivateFolder(const std::filesystem::path& folder);
// Only checks: a real folder (not a link), owned by this user, with no access for anyone else.
std::string checkPrivateFolder(const std::filesystem::path& folder);

}  // namespace zo::platform::service

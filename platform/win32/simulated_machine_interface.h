#pragma once
// What ZoSystem.dll, the simulated machine (kernel stand-in, zousbdrv and simulated hubs), offers
// the Windows platform layer of the suite's libraries: the user/kernel boundary of a device file,
// as plain C functions that the libraries look up by name at run time. So a library reaches the
// simulated machine without importing it, and a process has one machine however many of the
// suite's libraries it loads.

#include <cstdint>

namespace zo::platform::win32 {

inline constexpr const char* kSimulatedMachineLibrary = "ZoSystem";

// Opens "\\.\NAME" on the process's current machine; null with the status when it fails.
using SimulatedOpen = void* (*)(const char* path, int from32BitProcess, std::int32_t* status);
inline constexpr const char* kSimulatedOpen = "ZoSimulatedOpen";

// One synchronous I/O-control request; returns its status and the bytes it returned.
using SimulatedControl = std::int32_t (*)(void* file, std::uint32_t code, const std::uint8_t* input,
                                          std::uint32_t inputSize, std::uint8_t* output,
                                          std::uint32_t outputSize, std::uint32_t* bytesReturned);
inline constexpr const char* kSimulatedControl = "ZoSimulatedControl";

using SimulatedClose = void (*)(void* file);
inline constexpr const char* kSimulatedClose = "ZoSimulatedClose";

}  // namespace zo::platform::win32

#pragma once
// An open handle on one hub's device ("\\.\ZOUSB-n") and the requests the tool's commands make
// through it.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/device_file.h"

namespace zousbdiag {

// "\\.\ZOUSB-3"
std::string hubDeviceName(unsigned instance);

// Why the simulated machine has fewer hubs than configured; empty when nothing went wrong.
std::string machineConfigurationError();

enum class HubSpeed { High, Full, Unknown };
const char* speedName(HubSpeed speed);

class HubConnection {
  public:
    // Opens the hub; on failure the status says why (STATUS_OBJECT_NAME_NOT_FOUND: no such hub).
    static std::optional<HubConnection> open(unsigned instance, zo::platform::KernelStatus& status,
                                             bool from32BitProcess = false);

    zo::platform::IoControlResult control(std::uint32_t code, std::span<const std::uint8_t> input,
                                          std::span<std::uint8_t> output);

    // Each answers nullopt when the request failed or returned fewer bytes than the record needs.
    std::optional<std::array<std::uint8_t, 18>> deviceDescriptor();
    std::optional<std::vector<std::uint8_t>> configurationDescriptor();
    std::optional<std::vector<std::uint8_t>> stringDescriptor(std::uint8_t index,
                                                              std::uint16_t language);
    std::optional<HubSpeed> speed();
    // The information block as read word by word with vendor request 0xF0: as many bytes as its
    // length word announces, rounded up to whole words and never beyond the 130-byte window.
    std::optional<std::vector<std::uint8_t>> informationBlockBytes();

  private:
    explicit HubConnection(zo::platform::DeviceFile file) : file_(std::move(file)) {}
    std::optional<std::uint16_t> informationWord(std::uint16_t index);

    zo::platform::DeviceFile file_;
};

}  // namespace zousbdiag

// A program of the suite, as the service's process tests drive it: it reads one command a line
// and answers one line each. Started with ZOUSB_SERVICE naming a test's service, it reaches that
// service's machine exactly as every program of the suite does.
//
//   open N            opens \\.\ZOUSB-N                  -> "open STATUS"
//   read REG          reads a hub register on that handle -> "read STATUS VALUE"
//   close             closes the handle                  -> "closed"
//   qn-open ID        QnLoadDriver, QnOpenDevice(ID)     -> "qn-open STATUS"
//   qn-train CH H L   an ungated train of H and L ticks on channel CH, its output opened
//                                                        -> "qn-train STATUS"
//   qn-restart MASK N QnOpenOutputs(MASK) N times        -> "qn-restart STATUS"
//   exit              ends at once, closing nothing      -> (no answer)

#include <unistd.h>

#include <array>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "driver/zousb_ioctl.h"
#include "include/QuintelDrv.h"
#include "platform/device_file.h"

namespace {

std::optional<zo::platform::DeviceFile> file;
QnHandle device = nullptr;

std::string readRegister(unsigned reg) {
    if (!file) {
        return "read no-handle 0";
    }
    const ZOUSB_CONTROL_REQUEST request{
        1, 2, 0, 0, 0xFC, 0, static_cast<std::uint16_t>(0xC000 + reg), 0};
    std::array<std::uint8_t, 1> value{};
    const auto result =
        file->control(IOCTL_ZOUSB_CONTROL_REQUEST,
                      {reinterpret_cast<const std::uint8_t*>(&request), sizeof request}, value);
    return std::string("read ") + zo::platform::statusText(result.status) + ' ' +
           std::to_string(value[0]);
}

std::int32_t train(std::uint32_t channel, std::uint32_t high, std::uint32_t low) {
    QnDeviceSettings settings{};
    settings.size = QN_SETTINGS_SIZE;
    std::int32_t status = QnReadDeviceSettings(device, &settings);
    for (const auto& [parameter, value] : {std::pair{std::uint32_t{QN_PARAM_HIGH_TIME}, high},
                                           std::pair{std::uint32_t{QN_PARAM_LOW_TIME}, low}}) {
        status =
            status != QN_OK ? status : QnSetParameter(device, &settings, channel, parameter, value);
    }
    status = status != QN_OK ? status : QnRefreshDeviceSettings(device, &settings);
    return status != QN_OK ? status : QnOpenOutputs(device, 1u << channel);
}

std::string run(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "open") {
        unsigned instance = 0;
        words >> instance;
        zo::platform::KernelStatus status = 0;
        file = zo::platform::DeviceFile::open("\\\\.\\ZOUSB-" + std::to_string(instance), status);
        return std::string("open ") + zo::platform::statusText(status);
    }
    if (command == "read") {
        unsigned reg = 0;
        words >> std::hex >> reg;
        return readRegister(reg);
    }
    if (command == "close") {
        file.reset();
        return "closed";
    }
    if (command == "qn-open") {
        std::int32_t id = 0;
        words >> id;
        QnLoadDriver();
        return "qn-open " + std::to_string(QnOpenDevice(id, &device));
    }
    if (command == "qn-train") {
        std::uint32_t channel = 0, high = 0, low = 0;
        words >> channel >> high >> low;
        return "qn-train " + std::to_string(train(channel, high, low));
    }
    if (command == "qn-restart") {
        std::uint32_t mask = 0;
        int count = 0;
        words >> std::hex >> mask >> std::dec >> count;
        std::int32_t status = QN_OK;
        for (int i = 0; i < count && status == QN_OK; ++i) {
            status = QnOpenOutputs(device, mask);
        }
        return "qn-restart " + std::to_string(status);
    }
    if (command == "exit") {
        ::_exit(0);
    }
    return "unknown " + command;
}

}  // namespace

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        std::cout << run(line) << std::endl;
    }
    return 0;
}

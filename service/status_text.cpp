#include "service/status_text.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <iomanip>

namespace zo::zousbsim {

namespace {

std::string hex(std::uint32_t value, int digits) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "0x%0*X", digits, value);
    return text.data();
}

// The shortest decimal text that reads back as the same frequency: "1000", "2500.5".
std::string hertz(double value) {
    std::array<char, 32> text{};
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return error == std::errc{} ? std::string(text.data(), end) : "?";
}

std::string column(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + ' ' : text + std::string(width - text.size(), ' ');
}

}  // namespace

std::string hubEntryText(const platform::service::HubEntry& hub) {
    return std::string("sim:speed=") + (hub.highSpeed ? "high" : "full") +
           ",pid=" + hex(hub.productId, 4) + ",info=" + (hub.hasInfoBlock ? "1" : "0") +
           ",serial=" + hex(hub.serial, 8) + ",firmware=" + hex(hub.firmware, 4) +
           ",a=" + hertz(hub.inputAHz) + ",b=" + hertz(hub.inputBHz);
}

void printStatus(const platform::service::StatusReply& status, std::ostream& out) {
    out << column("Port", 6) << column("Device", 13) << column("Speed", 7) << "Hub\n";
    for (const auto& hub : status.hubs) {
        out << column(std::to_string(hub.port), 6)
            << column(hub.device.empty() ? "-" : hub.device, 13)
            << column(hub.highSpeed ? "high" : "full", 7)
            << (hub.simulated ? hubEntryText(hub) : "(not a simulated hub)")
            << (hub.recording ? "  (recording)" : "") << '\n';
    }
    out << status.hubs.size() << (status.hubs.size() == 1 ? " hub" : " hubs") << ".\n\n";
    out << column("Handle", 8) << column("Process", 9) << column("Device", 13) << "32-bit\n";
    for (const auto& handle : status.handles) {
        out << column(std::to_string(handle.connection), 8)
            << column(std::to_string(handle.processId), 9) << column(handle.device, 13)
            << (handle.from32BitProcess ? "yes" : "no") << '\n';
    }
    out << status.handles.size() << (status.handles.size() == 1 ? " open handle" : " open handles")
        << ".\n\nCapture  " << (status.capturePath.empty() ? "none" : status.capturePath) << '\n';
}

}  // namespace zo::zousbsim

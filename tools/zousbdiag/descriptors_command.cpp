// The descriptors command: the device, configuration and string descriptors of one hub, decoded
// and as raw bytes.

#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/descriptor_text.h"
#include "tools/zousbdiag/hex_text.h"

namespace zousbdiag {

namespace {

constexpr std::uint16_t kEnglishUnitedStates = 0x0409;
constexpr std::uint8_t kFirstString = 1;
constexpr std::uint8_t kLastString = 3;

void printSection(std::ostream& out, const std::string& title, std::span<const std::uint8_t> bytes,
                  const std::string& decoded) {
    out << title << " (" << bytes.size() << " bytes)\n" << decoded << "  raw:\n" << hexDump(bytes);
}

bool printStrings(HubConnection& hub, std::ostream& out) {
    bool complete = true;
    out << "String descriptors (language " << hexNumber(kEnglishUnitedStates, 4) << ")\n";
    for (std::uint8_t index = kFirstString; index <= kLastString; ++index) {
        out << "  " << static_cast<unsigned>(index) << "  ";
        const auto descriptor = hub.stringDescriptor(index, kEnglishUnitedStates);
        const std::optional<std::string> text =
            descriptor ? stringDescriptorText(*descriptor) : std::nullopt;
        if (text) {
            out << '"' << *text << "\"\n";
        } else {
            out << (descriptor ? "malformed string descriptor\n" : "unreadable\n");
            complete = false;
        }
    }
    return complete;
}

}  // namespace

int runDescriptors(unsigned instance, std::ostream& out, std::ostream& err) {
    std::optional<HubConnection> hub = openHubOrReport(instance, err);
    if (!hub) {
        return kExitFailure;
    }
    out << "Hub " << hubDeviceName(instance) << "\n\n";
    bool complete = true;
    if (const auto device = hub->deviceDescriptor()) {
        printSection(out, "Device descriptor", *device, describeDeviceDescriptor(*device));
    } else {
        out << "Device descriptor: unreadable\n";
        complete = false;
    }
    out << '\n';
    if (const auto configuration = hub->configurationDescriptor()) {
        printSection(out, "Configuration descriptor", *configuration,
                     describeConfiguration(*configuration));
    } else {
        out << "Configuration descriptor: unreadable\n";
        complete = false;
    }
    out << '\n';
    complete = printStrings(*hub, out) && complete;
    if (!complete) {
        err << "zousbdiag: " << hubDeviceName(instance) << ": some descriptors could not be read\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace zousbdiag

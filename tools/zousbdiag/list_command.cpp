// The list command: one line for every hub instance that opens.

#include <cstdio>

#include "kernel/ntstatus.h"
#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/information_block.h"
#include "tools/zousbdiag/little_endian_fields.h"

namespace zousbdiag {

namespace {

constexpr const char* kUnknown = "?";
constexpr const char* kNone = "-";

struct HubLine {
    std::string speed = kUnknown;
    std::string vendor = kUnknown;
    std::string product = kUnknown;
    std::string serial = kNone;
    std::string firmware = kNone;
    std::string note;
    bool complete = true;  // every query was answered
};

void addNote(HubLine& line, const std::string& note) {
    line.note += line.note.empty() ? note : "; " + note;
}

void readInformationBlock(HubConnection& hub, HubLine& line) {
    const std::optional<std::vector<std::uint8_t>> bytes = hub.informationBlockBytes();
    if (!bytes) {
        line.serial = line.firmware = kUnknown;
        line.complete = false;
        addNote(line, "information block unreadable");
        return;
    }
    const InformationBlock block = decodeInformationBlock(*bytes);
    switch (block.state) {
        case InformationBlock::State::Absent:
            addNote(line, "no information block");
            break;
        case InformationBlock::State::Malformed:
            addNote(line, "information block malformed: " + block.problem);
            break;
        case InformationBlock::State::Valid:
            if (block.serial) {
                line.serial = hexNumber(*block.serial, 8);
            }
            if (block.firmware) {
                line.firmware = hexNumber(*block.firmware, 4);
            }
            break;
    }
}

HubLine describeHub(HubConnection& hub) {
    HubLine line;
    if (const std::optional<HubSpeed> speed = hub.speed()) {
        line.speed = speedName(*speed);
    } else {
        line.complete = false;
        addNote(line, "interface query failed");
    }
    if (const auto descriptor = hub.deviceDescriptor()) {
        line.vendor = hexNumber(readLe16(*descriptor, 8), 4);
        line.product = hexNumber(readLe16(*descriptor, 10), 4);
    } else {
        line.complete = false;
        addNote(line, "device descriptor unreadable");
    }
    readInformationBlock(hub, line);
    return line;
}

void printLine(std::ostream& out, const std::string& instance, const std::string& device,
               const HubLine& line) {
    char text[160];
    std::snprintf(text, sizeof text, "%-8s  %-11s  %-5s  %-6s  %-7s  %-10s  %-8s", instance.c_str(),
                  device.c_str(), line.speed.c_str(), line.vendor.c_str(), line.product.c_str(),
                  line.serial.c_str(), line.firmware.c_str());
    std::string row = text;
    if (!line.note.empty()) {
        row += "  (" + line.note + ")";
    }
    while (!row.empty() && row.back() == ' ') {
        row.pop_back();
    }
    out << row << '\n';
}

}  // namespace

int runList(std::ostream& out, std::ostream& err) {
    unsigned found = 0;
    bool complete = true;
    for (unsigned instance = 0; instance < kInstanceCount; ++instance) {
        zo::platform::KernelStatus status = 0;
        std::optional<HubConnection> hub = HubConnection::open(instance, status);
        if (!hub && status == STATUS_OBJECT_NAME_NOT_FOUND) {
            continue;
        }
        if (found++ == 0) {
            printLine(out, "Instance", "Device",
                      {"Speed", "Vendor", "Product", "Serial", "Firmware", {}, true});
        }
        HubLine line;
        if (hub) {
            line = describeHub(*hub);
        } else {
            line.complete = false;
            addNote(line, "cannot open: " + describeStatus(status));
        }
        complete = complete && line.complete;
        printLine(out, std::to_string(instance), hubDeviceName(instance), line);
    }
    if (found == 0) {
        out << "No hubs found (none of " << hubDeviceName(0) << " to "
            << hubDeviceName(kInstanceCount - 1) << " opens).\n";
    } else {
        out << found << (found == 1 ? " hub" : " hubs") << " found.\n"
            << "Instance is the N of descriptors, ioctl, version and last-status; the library"
               " commands take the device identifier that 'zousbdiag enumerate' shows.\n";
    }
    if (!complete) {
        err << "zousbdiag: some hubs did not answer every request (see the notes above)\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace zousbdiag

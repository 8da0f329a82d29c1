// enumerate: the devices the library accepts, with each record, and for every hub that opens but
// is not among them the reason the library passed it over.

#include <algorithm>
#include <array>
#include <cstdio>

#include "include/QuintelDrv.h"
#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/hex_text.h"
#include "tools/zousbdiag/information_block.h"
#include "tools/zousbdiag/little_endian_fields.h"
#include "tools/zousbdiag/open_device.h"

namespace zousbdiag {

namespace {

constexpr std::uint16_t kAcceptedProduct = 0x4345;
constexpr std::size_t kProductOffset = 10;

// Why the library did not list the hub at this instance, which opens.
std::string whyNotListed(unsigned instance, HubConnection& hub) {
    if (instance >= kLastDeviceId) {
        return "the library probes instances 0 to " + std::to_string(kLastDeviceId - 1) + " only";
    }
    const auto descriptor = hub.deviceDescriptor();
    if (!descriptor) {
        return "its device descriptor cannot be read";
    }
    const std::uint16_t product = readLe16(*descriptor, kProductOffset);
    if (product != kAcceptedProduct) {
        return "product identifier " + hexNumber(product, 4) + " is not the hub's " +
               hexNumber(kAcceptedProduct, 4);
    }
    return "the library did not accept it";
}

// A note for a listed device whose serial and firmware are 0 because its block is not there.
std::string blockNote(unsigned instance) {
    zo::platform::KernelStatus status = 0;
    std::optional<HubConnection> hub = HubConnection::open(instance, status);
    if (!hub) {
        return {};
    }
    const auto bytes = hub->informationBlockBytes();
    if (!bytes) {
        return "  (information block unreadable)";
    }
    const InformationBlock block = decodeInformationBlock(*bytes);
    switch (block.state) {
        case InformationBlock::State::Absent:
            return "  (no information block)";
        case InformationBlock::State::Malformed:
            return "  (information block malformed)";
        case InformationBlock::State::Valid:
            break;
    }
    return {};
}

void printRecord(const QnDeviceRecord& record, std::ostream& out) {
    const auto instance = static_cast<unsigned>(record.id - 1);
    char line[160];
    std::snprintf(line, sizeof line, "%-2d  %-11s  %-4d  %-10s  %-8s  %-5s  %-4s  ", record.id,
                  hubDeviceName(instance).c_str(), record.kind,
                  hexNumber(static_cast<std::uint32_t>(record.serial), 8).c_str(),
                  hexNumber(static_cast<std::uint32_t>(record.firmware), 4).c_str(),
                  record.speedCode == 20 ? "high" : "full", record.isOpen != 0 ? "yes" : "no");
    out << line << record.reserved << ' ' << record.kind << ' ' << record.id << ' ' << record.serial
        << ' ' << record.firmware << ' ' << record.isOpen << ' ' << record.speedCode
        << (record.serial == 0 && record.firmware == 0 ? blockNote(instance) : std::string())
        << '\n';
}

// The hubs that open but are not among the records, each with the reason.
void printPassedOver(std::span<const QnDeviceRecord> records, std::ostream& out) {
    bool first = true;
    for (unsigned instance = 0; instance < kInstanceCount; ++instance) {
        const bool listed = std::ranges::any_of(records, [instance](const QnDeviceRecord& record) {
            return record.id == static_cast<std::int32_t>(instance + 1);
        });
        zo::platform::KernelStatus status = 0;
        std::optional<HubConnection> hub =
            listed ? std::nullopt : HubConnection::open(instance, status);
        if (!hub) {
            continue;
        }
        out << (first ? "Not listed, though they open:\n" : "") << "  " << hubDeviceName(instance)
            << " (instance " << instance << "): " << whyNotListed(instance, *hub) << '\n';
        first = false;
    }
}

}  // namespace

int runEnumerate(std::ostream& out, std::ostream& err) {
    if (const int32_t status = QnLoadDriver(); status != QN_OK) {
        err << "zousbdiag: probing failed: " << statusName(status) << '\n';
        return kExitFailure;
    }
    std::array<QnDeviceRecord, kLastDeviceId> records{};
    uint32_t count = records.size();
    if (const int32_t status = QnEnumDevices(records.data(), &count); status != QN_OK) {
        err << "zousbdiag: enumeration failed: " << statusName(status) << '\n';
        return kExitFailure;
    }
    const std::span<const QnDeviceRecord> found = std::span(records).first(count);
    if (count == 0) {
        out << "No devices found.\n";
    } else {
        out << "Id  Device       Kind  Serial      Firmware  Speed  Open  Record\n";
        for (const QnDeviceRecord& record : found) {
            printRecord(record, out);
        }
        out << count << (count == 1 ? " device" : " devices") << " found.\n"
            << "Id is the device identifier (1 to 5) that device-info, settings, set, outputs,"
               " measure, capture and the other library commands take.\n";
    }
    printPassedOver(found, out);
    return kExitSuccess;
}

}  // namespace zousbdiag

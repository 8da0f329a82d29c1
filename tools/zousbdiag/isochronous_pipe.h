#pragma once
// A hub's isochronous pipe and the records of the driver's isochronous codes: the request
// (ZOUSB_ISO_TRANSFER) and the output, data of every packet followed by its packet record.

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "driver/zousb_ioctl.h"
#include "tools/zousbdiag/command_line.h"
#include "tools/zousbdiag/hub_connection.h"

namespace zousbdiag {

struct IsochronousPipe {
    std::uint32_t index = 0;  // in the interface record
    std::uint8_t endpoint = 0;
    std::uint16_t maximumPacketSize = 0;
};

// The pipe `index` names, or else the first isochronous pipe of the hub's interface. Nullopt,
// with the reason in `why`, when there is none or the index names another kind of pipe.
std::optional<IsochronousPipe> findIsochronousPipe(HubConnection& hub,
                                                   std::optional<std::uint32_t> index,
                                                   std::string& why);

// Hub `instance`, opened, with the isochronous pipe `index` names (or its first one); nullopt
// after telling err why not.
struct IsochronousHub {
    HubConnection hub;
    IsochronousPipe pipe;
};
std::optional<IsochronousHub> openIsochronousHub(unsigned instance,
                                                 std::optional<std::uint32_t> index,
                                                 std::ostream& err);

// The record of a one-shot read or of a stream's start with the command's numbers; the packet
// size is the pipe's maximum unless the command names one.
ZOUSB_ISO_TRANSFER isoTransferRecord(const IsochronousPipe& pipe,
                                     const IsochronousOptions& options);
std::vector<std::uint8_t> isoTransferBytes(const ZOUSB_ISO_TRANSFER& record);

// One packet as the driver hands it back.
struct ReceivedPacket {
    std::int32_t status = 0;             // USB status of the packet
    std::span<const std::uint8_t> data;  // the bytes it carried
};

// The packets of an output holding `count` packets of `packetSize` bytes followed by their
// records. A record claiming more bytes than its packet's room counts the room only.
std::vector<ReceivedPacket> receivedPackets(std::span<const std::uint8_t> output,
                                            std::uint32_t count, std::uint32_t packetSize);

// "USBD_STATUS_SUCCESS", or the value in hexadecimal for a status without a name here.
std::string usbdStatusName(std::int32_t status);

}  // namespace zousbdiag

#pragma once
// What `zousbsim status` prints: the hubs with their speed and options, the open handles with
// their processes, and the capture.

#include <ostream>
#include <string>

#include "platform/shared_machine/protocol.h"

namespace zo::zousbsim {

// The hub's options as an entry of ZOUSB_DEVICES, which `zousbsim plug` takes back:
// "sim:speed=high,pid=0x4345,info=1,serial=0x00000001,firmware=0x0100,a=1000,b=2500".
std::string hubEntryText(const platform::service::HubEntry& hub);

void printStatus(const platform::service::StatusReply& status, std::ostream& out);

}  // namespace zo::zousbsim

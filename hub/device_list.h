#pragma once
// Reading the list of hubs plugged in at start (the value of ZOUSB_DEVICES).
//
// Grammar: entries separated by ';', each "sim" optionally followed by ':' and comma-separated
// key=value options (speed, pid, info, serial, firmware, a, b). See hub/README.md.

#include <string>
#include <vector>

#include "hub/hub_options.h"

namespace zo::hub {

struct DeviceList {
    std::vector<HubOptions> hubs;  // empty whenever error is set
    std::string error;             // empty on success, else why the value was refused

    bool ok() const { return error.empty(); }
};

// value null (variable unset): one hub with the defaults. Empty string: no hub. A malformed value:
// no hub and an error naming the entry and the problem. Never throws.
DeviceList parseDeviceList(const char* value) noexcept;

}  // namespace zo::hub

#pragma once
// The channel parameters: identifier, place in the channel block, limits and attributes. The
// identifiers run 0..24 with gaps (8, 9, 12, 13, 17, 18, 21, 22 do not exist).

#include <cstdint>
#include <span>

#include "include/QuintelDrv.h"

namespace zo::quinteldrv {

struct Parameter {
    std::uint32_t id;
    std::uint32_t QnChannelSettings::*field;
    std::uint32_t maximum;   // the minimum is 0 for every parameter
    std::uint32_t timing;    // attribute 2: reported, never interpreted
    std::uint32_t readOnly;  // attribute 3: 0 for every parameter of the present table
    std::uint32_t defaultValue;
};

// All 17 parameters in the order of their fields in the channel block.
std::span<const Parameter> channelParameters();
// The parameter with this identifier, or null.
const Parameter* findParameter(std::uint32_t id);

}  // namespace zo::quinteldrv

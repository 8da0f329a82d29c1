#pragma once
// What the library learns of a device while probing it, through its freshly opened device object.

#include <cstdint>

#include "library/device_context.h"

namespace zo::quinteldrv {

inline constexpr std::int32_t kSpeedCodeHigh = 20;  // Hi-Speed (USB 2.0)
inline constexpr std::int32_t kSpeedCodeFull = 11;
inline constexpr std::uint16_t kQuintelProductId = 0x4345;

// 20 when the interface has four pipes and the first one's maximum packet size is 512, else 11.
// Leaves the hardware error alone.
std::int32_t querySpeedCode(QnDeviceContext& context);

// Accepts the device when its descriptor carries the hub's product identifier, then fills record
// words 3 and 4 from a valid information block; a missing or invalid block leaves them 0.
bool identifyDevice(QnDeviceContext& context);

}  // namespace zo::quinteldrv

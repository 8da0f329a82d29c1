#pragma once
// The library's fixed table of five device contexts and the number of them in use. Probing fills
// contexts 0..count-1 in the order the devices were found. Changed only by probing, opening and
// closing, which callers make from one thread; there is no lock.

#include <cstddef>
#include <span>

#include "library/device_context.h"

namespace zo::quinteldrv {

inline constexpr std::size_t kSlotCount = 5;

std::span<QnDeviceContext, kSlotCount> allContexts();
// The contexts of probed devices: 0..count-1.
std::span<QnDeviceContext> probedContexts();
void setProbedCount(std::size_t count);

// The context behind a handle, or null for a null handle or an address that is not one of the
// table's contexts (a stale or made-up handle must not be followed).
QnDeviceContext* contextOf(QnHandle handle);

// Ends every background measurement of the table (QnUnloadDriver, and at process exit before
// the simulated machine goes away).
void stopAllMeasurementWorkers();

}  // namespace zo::quinteldrv

#pragma once
// Bringing the hub in line with the settings: each channel compiled into its sequencer program
// and uploaded when its block changed, and the measurement program built from the header.

#include "library/device_context.h"

namespace zo::quinteldrv {

// Channels 0..7 in order, each rebuilt and uploaded unless its block equals the last-applied
// one; the first failure ends the pass. When all eight are applied, the current record becomes
// the last-applied record.
bool applyChannels(QnDeviceContext& context);

// Builds the measurement program from the current settings' header and uploads it; it is never
// skipped. Records the header the hub then holds.
bool applyMeasurementProgram(QnDeviceContext& context);

}  // namespace zo::quinteldrv

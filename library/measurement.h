#pragma once
// Timing an input with the measurement sequencer: preparing the program, polling for the result,
// waiting for it, and the background worker that waits instead of the caller.

#include <cstdint>

#include "library/device_context.h"

namespace zo::quinteldrv {

// Stores input, mode and edge in the current settings' header and, when any of them changed,
// rebuilds and uploads the measurement program; then restarts the measurement.
bool prepareMeasurement(QnDeviceContext& context, std::uint32_t input, std::uint32_t mode,
                        std::int32_t edge);

// Waits at most `timeout` milliseconds (polling every millisecond) and stores the duration in
// nanoseconds: QN_OK, QN_ERR_TIMEOUT, QN_ERR_DEVICE when a transfer failed, or QN_ERR_FAILED
// when the count is no period (the input changes faster than the hub can time).
std::int32_t waitForMeasurement(QnDeviceContext& context, std::int32_t* result,
                                std::uint32_t timeout);

// Starts the worker that polls until the measurement is ready (or the abort flag is set), stores
// the duration, and calls the callback as (argument2, 0, argument1). A worker still running is
// stopped first. QN_OK, or QN_ERR_FAILED when no thread could be created.
std::int32_t startMeasurementWorker(QnDeviceContext& context, std::int32_t* result,
                                    QnMeasureCallback callback, std::uint32_t argument1,
                                    std::uint32_t argument2);

// Sets the abort flag; once this returns the worker delivers nothing more. A delivery already
// under way (its callback running on another thread) is finished first.
void abortMeasurement(QnDeviceContext& context);

// Sets the abort flag and waits until the worker, if any, has ended, so that no thread uses the
// device afterwards. Called from the worker's own callback it only sets the flag.
void stopMeasurementWorker(QnDeviceContext& context);

}  // namespace zo::quinteldrv

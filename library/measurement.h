#pragma once
// Timing an input with the measurement sequencer: preparing the program, polling for the result,
// waiting for it, and the background worker that waits instead of the caller.

#include <cstdint>

#include "library/device_context.h"

namespace zo::quinteldrv {

// Stores input, mode and edge in the current settings' header and, unless the hub holds the
// measurement program of exactly these, rebuilds and uploads it; then restarts the measurement.
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

// Sets the abort flag and returns at once, also while a callback runs. Once it has returned no
// result is written and no delivery begins; a delivery that had begun (its result written) makes
// its one call, or finishes the one it is making.
void abortMeasurement(QnDeviceContext& context);

// Sets the abort flag and waits until the worker, if any, has ended, so that no thread uses the
// device afterwards. Called from the worker's own callback it only sets the flag.
void stopMeasurementWorker(QnDeviceContext& context);

}  // namespace zo::quinteldrv

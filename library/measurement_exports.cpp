// QnSynchMeasure, QnStartMeasure and QnAbortMeasure: timing an input with the measurement
// sequencer.

#include "include/QuintelDrv.h"
#include "library/device_table.h"
#include "library/measurement.h"
#include "library/settings_record.h"

namespace {

using namespace zo::quinteldrv;

bool validMeasureArguments(uint32_t input, uint32_t mode, const int32_t* result) {
    return input <= kLastSourceNumber && mode <= kLastMeasureMode && result != nullptr;
}

}  // namespace

extern "C" QN_API int32_t QN_CALL QnSynchMeasure(QnHandle handle, uint32_t input, uint32_t mode,
                                                 int32_t edge, int32_t* result, uint32_t timeout) {
    QnDeviceContext* context = contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    if (!validMeasureArguments(input, mode, result)) {
        return QN_ERR_BAD_ARG;
    }
    stopMeasurementWorker(*context);
    if (!prepareMeasurement(*context, input, mode, edge)) {
        return QN_ERR_DEVICE;
    }
    return waitForMeasurement(*context, result, timeout);
}

extern "C" QN_API int32_t QN_CALL QnStartMeasure(QnHandle handle, uint32_t input, uint32_t mode,
                                                 int32_t edge, int32_t* result,
                                                 QnMeasureCallback callback, uint32_t argument1,
                                                 uint32_t argument2) {
    QnDeviceContext* context = contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    if (input == 0 || callback == nullptr || !validMeasureArguments(input, mode, result)) {
        return QN_ERR_BAD_ARG;
    }
    // A worker still running would poll the sequencer the new measurement restarts.
    stopMeasurementWorker(*context);
    if (!prepareMeasurement(*context, input, mode, edge)) {
        return QN_ERR_DEVICE;
    }
    return startMeasurementWorker(*context, result, callback, argument1, argument2);
}

extern "C" QN_API int32_t QN_CALL QnAbortMeasure(QnHandle handle) {
    QnDeviceContext* context = contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    abortMeasurement(*context);
    return QN_OK;
}

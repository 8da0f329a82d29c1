// QnSynchMeasure, QnStartMeasure and QnAbortMeasure: timing an input with the measurement
// sequencer.
//
// The arguments are checked and the settings' measurement header is kept as the full library
// does. Preparing a measurement needs the measurement program on the hub, which only the program
// compiler can build (see program_application.h); until it is there, both measuring exports
// report QN_ERR_DEVICE after the preparation and leave *result untouched.

#include "include/QuintelDrv.h"
#include "library/device_table.h"
#include "library/program_application.h"
#include "library/settings_record.h"

namespace {

using namespace zo::quinteldrv;

bool validMeasureArguments(uint32_t input, uint32_t mode, const int32_t* result) {
    return input <= kLastSourceNumber && mode <= kLastMeasureMode && result != nullptr;
}

// Keeps the header in the current settings, then restarts the measurement program.
int32_t prepareMeasurement(QnDeviceContext& context, uint32_t input, uint32_t mode, int32_t edge) {
    context.current.measureInput = input;
    context.current.measureMode = mode;
    context.current.measureEdge = static_cast<uint32_t>(edge);
    return restartMeasurementProgram(context) == ApplyResult::Applied ? QN_OK : QN_ERR_DEVICE;
}

}  // namespace

extern "C" QN_API int32_t QN_CALL QnSynchMeasure(QnHandle handle, uint32_t input, uint32_t mode,
                                                 int32_t edge, int32_t* result,
                                                 uint32_t /*timeout*/) {
    QnDeviceContext* context = contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    if (!validMeasureArguments(input, mode, result)) {
        return QN_ERR_BAD_ARG;
    }
    return prepareMeasurement(*context, input, mode, edge);
}

extern "C" QN_API int32_t QN_CALL QnStartMeasure(QnHandle handle, uint32_t input, uint32_t mode,
                                                 int32_t edge, int32_t* result,
                                                 QnMeasureCallback callback, uint32_t /*argument1*/,
                                                 uint32_t /*argument2*/) {
    QnDeviceContext* context = contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    if (input == 0 || callback == nullptr || !validMeasureArguments(input, mode, result)) {
        return QN_ERR_BAD_ARG;
    }
    return prepareMeasurement(*context, input, mode, edge);
}

extern "C" QN_API int32_t QN_CALL QnAbortMeasure(QnHandle handle) {
    QnDeviceContext* context = contextOf(handle);
    if (context == nullptr) {
        return QN_ERR_NO_HANDLE;
    }
    context->abortFlag = 1;
    return QN_OK;
}

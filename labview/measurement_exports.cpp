// Measurements of an opened device: synchronous, or in the background with QuintelDrv's worker
// calling back when done, polled with LvQnMeasureIsReady and read with LvQnReadMeasure.

#include "include/QuintelDrv.h"
#include "labview/QuintelLV.h"
#include "labview/entry_call.h"

namespace {

using namespace zo::quintellv;

// Runs on QuintelDrv's worker thread, called as (identifier, 0, 0). The entry may have been
// closed meanwhile; then nothing is counted.
void QN_CALL measurementCompleted(uintptr_t identifier, uintptr_t, uintptr_t) {
    LvQnDeviceEntry* entry = findEntry(static_cast<int32_t>(static_cast<uint32_t>(identifier)));
    if (entry != nullptr) {
        signalReady(*entry);
    }
}

}  // namespace

extern "C" LVQN_API int32_t LVQN_CALL LvQnSynchMeasure(int32_t identifier, uint32_t input,
                                                       uint32_t mode, int32_t edge, int32_t* result,
                                                       uint32_t timeout) {
    int32_t status = QN_OK;
    const int32_t outcome =
        callWithEntry(identifier, LVQN_ERR_MEASURE, result != nullptr, [&](LvQnDeviceEntry& entry) {
            status = QnSynchMeasure(entry.handle, input, mode, edge, result, timeout);
            return status;
        });
    return outcome == LVQN_ERR_MEASURE && status == QN_ERR_TIMEOUT ? LVQN_ERR_TIMEOUT : outcome;
}

extern "C" LVQN_API int32_t LVQN_CALL LvQnStartMeasure(int32_t identifier, uint32_t input,
                                                       uint32_t mode, int32_t edge) {
    return callWithEntry(identifier, LVQN_ERR_MEASURE, [&](LvQnDeviceEntry& entry) {
        // A previous measurement must not complete between clearing the ready state and the
        // start: once the abort has returned it delivers nothing more. Its status does not
        // matter, the start reports any device fault.
        QnAbortMeasure(entry.handle);
        clearReady(entry);
        entry.result = 0;
        return QnStartMeasure(entry.handle, input, mode, edge, &entry.result, measurementCompleted,
                              0, static_cast<uint32_t>(identifier));
    });
}

extern "C" LVQN_API int32_t LVQN_CALL LvQnAbortMeasure(int32_t identifier) {
    return callWithEntry(identifier, LVQN_ERR_ABORT, [](LvQnDeviceEntry& entry) {
        const int32_t status = QnAbortMeasure(entry.handle);
        if (status == QN_OK) {
            clearReady(entry);
        }
        return status;
    });
}

extern "C" LVQN_API int32_t LVQN_CALL LvQnMeasureIsReady(int32_t identifier, int32_t* ready) {
    return callWithEntry(identifier, LVQN_ERR_GENERIC, ready != nullptr,
                         [&](LvQnDeviceEntry& entry) {
                             *ready = isReady(entry) ? 1 : 0;
                             return QN_OK;
                         });
}

extern "C" LVQN_API int32_t LVQN_CALL LvQnReadMeasure(int32_t identifier, int32_t* value) {
    return callWithEntry(identifier, LVQN_ERR_GENERIC, value != nullptr,
                         [&](LvQnDeviceEntry& entry) {
                             // The worker stores the result before it calls back; reading the
                             // ready state first makes a completed result visible here.
                             static_cast<void>(isReady(entry));
                             *value = entry.result;
                             return QN_OK;
                         });
}

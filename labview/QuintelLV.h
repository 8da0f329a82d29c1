/* QuintelLV: the LabVIEW interface library of the Kestrava Quintel hub.
 *
 * Fifteen flat C functions for LabVIEW's library-call node. A device is named by its identifier
 * (1..5, as QuintelDrv numbers devices) instead of a handle; the library keeps, per opened device,
 * the QuintelDrv handle, a working copy of the device's settings record and the state of a
 * background measurement. Every function returns one of the LVQN_ codes below (except
 * LvQnErrCode2String, which returns a text). Nothing throws, nothing is logged.
 *
 * Typical sequence: LvQnEnumDevices, LvQnOpenDevice, any number of LvQnSetParameter,
 * LvQnSendConfiguration, LvQnOpenOutputs; LvQnSynchMeasure, or LvQnStartMeasure, polling
 * LvQnMeasureIsReady and LvQnReadMeasure; LvQnCloseOutputs, LvQnCloseDevice.
 *
 * Calls for one device come from one thread at a time. The measurement callback of QuintelDrv
 * runs on its worker thread and only increments the ready counter of its device.
 */
#ifndef QUINTELLV_H
#define QUINTELLV_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(QUINTELLV_BUILDING)
#define LVQN_API /* the exports, with their ordinals, are those of QuintelLV.def */
#else
#define LVQN_API __declspec(dllimport)
#endif
#if !defined(_WIN64)
#define LVQN_CALL __stdcall /* the callee removes its arguments */
#endif
#else
#define LVQN_API __attribute__((visibility("default")))
#endif
#ifndef LVQN_CALL
#define LVQN_CALL
#endif

#ifdef __cplusplus
#define LVQN_STATIC_ASSERT(condition, message) static_assert(condition, message)
extern "C" {
#else
#define LVQN_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

/* Return codes; LvQnErrCode2String gives their texts. */
#define LVQN_OK 0
#define LVQN_ERR_DRIVER 1        /* not returned */
#define LVQN_ERR_NO_DEVICE 2     /* bad identifier, no device, or no open device of that id */
#define LVQN_ERR_INVALID_VALUE 3 /* not returned */
#define LVQN_ERR_CLOSE 5         /* the device could not be closed; it stays open here */
#define LVQN_ERR_GET_PARAMETER 6 /* LvQnGetParameter */
#define LVQN_ERR_SET_PARAMETER 7 /* LvQnSetParameter, LvQnSendConfiguration */
#define LVQN_ERR_DEVICE_INFO 8   /* LvQnGetDeviceInfo */
#define LVQN_ERR_OUTPUTS 9       /* LvQnOpenOutputs, LvQnCloseOutputs */
#define LVQN_ERR_MEASURE 10      /* LvQnSynchMeasure, LvQnStartMeasure */
#define LVQN_ERR_ABORT 11        /* LvQnAbortMeasure */
#define LVQN_ERR_TIMEOUT 12      /* LvQnSynchMeasure */
#define LVQN_ERR_REGISTER 13     /* not returned */
#define LVQN_ERR_GENERIC 100     /* a null pointer was passed where a result is written */

/* The most identifiers LvQnEnumDevices writes. */
#define LVQN_MAX_LISTED_DEVICES 10

/* LabVIEW's handle to a one-dimensional array of I32: a pointer to a pointer to a block whose
 * first word is the element count (dimSize), followed by the elements. LvQnEnumDevices needs an
 * array that already holds LVQN_MAX_LISTED_DEVICES elements (in LabVIEW: Initialize Array with
 * dimension size 10, passed as "Array Handle"); it never resizes it. */
typedef struct LvQnInt32Array {
    int32_t dimSize;
    int32_t elements[LVQN_MAX_LISTED_DEVICES];
} LvQnInt32Array;
typedef LvQnInt32Array** LvQnInt32ArrayHandle;
LVQN_STATIC_ASSERT(sizeof(LvQnInt32Array) == 4 * (1 + LVQN_MAX_LISTED_DEVICES),
                   "the count is followed directly by the elements");

/* Ordinal 1: the constant text of a return code; any unknown code gives "Unknown error". */
LVQN_API const char* LVQN_CALL LvQnErrCode2String(int32_t code);

/* Ordinal 2: writes the number n of devices into *count, and the identifiers of the first
 * min(n, 10, incoming dimSize) devices into the array, whose dimSize becomes that number of
 * identifiers written. 2 when enumeration fails, 100 for a null count or array handle. */
LVQN_API int32_t LVQN_CALL LvQnEnumDevices(LvQnInt32ArrayHandle devices, int32_t* count);

/* Ordinal 3: opens the device *identifier, or the first device when *identifier is 0 (the chosen
 * identifier is then written back). A device this library already has open is closed and opened
 * again, so its settings return to the defaults. 0 or 2. */
LVQN_API int32_t LVQN_CALL LvQnOpenDevice(int32_t* identifier);

/* Ordinal 4: 5 when QuintelDrv could not close the device; the device then stays listed as open
 * here so the call can be retried. */
LVQN_API int32_t LVQN_CALL LvQnCloseDevice(int32_t identifier);

/* Ordinal 5: one device information value (QN_INFO_ types of QuintelDrv.h); failure gives 8. */
LVQN_API int32_t LVQN_CALL LvQnGetDeviceInfo(int32_t identifier, uint32_t type, int32_t* value);

/* Ordinal 6: a parameter of the working settings copy with its limits; failure gives 6. Channel
 * 0..7; parameter as QN_PARAM_ of QuintelDrv.h. Limits above 2^31-1 arrive as negative I32:
 * declare minimum and maximum as U32 in LabVIEW to read them unsigned. */
LVQN_API int32_t LVQN_CALL LvQnGetParameter(int32_t identifier, uint32_t channel,
                                            uint32_t parameter, int32_t* value, int32_t* minimum,
                                            int32_t* maximum);

/* Ordinal 7: changes the working settings copy only (channel 8: all channels); failure gives 7.
 * Nothing reaches the device before LvQnSendConfiguration. */
LVQN_API int32_t LVQN_CALL LvQnSetParameter(int32_t identifier, uint32_t channel,
                                            uint32_t parameter, uint32_t value);

/* Ordinal 8: measures synchronously; *result is the duration between the edges in nanoseconds.
 * 12 on time-out, 10 on any other failure. */
LVQN_API int32_t LVQN_CALL LvQnSynchMeasure(int32_t identifier, uint32_t input, uint32_t mode,
                                            int32_t edge, int32_t* result, uint32_t timeout);

/* Ordinal 9: *ready is 1 once the background measurement has completed, else 0. */
LVQN_API int32_t LVQN_CALL LvQnMeasureIsReady(int32_t identifier, int32_t* ready);

/* Ordinal 10: starts a background measurement (input 1..10); failure gives 10. */
LVQN_API int32_t LVQN_CALL LvQnStartMeasure(int32_t identifier, uint32_t input, uint32_t mode,
                                            int32_t edge);

/* Ordinal 11: abandons the background measurement; failure gives 11. */
LVQN_API int32_t LVQN_CALL LvQnAbortMeasure(int32_t identifier);

/* Ordinal 12: the result of the last completed background measurement in nanoseconds. */
LVQN_API int32_t LVQN_CALL LvQnReadMeasure(int32_t identifier, int32_t* value);

/* Ordinals 13 and 14: switch the outputs of the mask's channels on or off; failure gives 9. */
LVQN_API int32_t LVQN_CALL LvQnOpenOutputs(int32_t identifier, uint32_t mask);
LVQN_API int32_t LVQN_CALL LvQnCloseOutputs(int32_t identifier, uint32_t mask);

/* Ordinal 15: sends the working settings copy to the device; failure gives 7. */
LVQN_API int32_t LVQN_CALL LvQnSendConfiguration(int32_t identifier);

#ifdef __cplusplus
}
#endif

#endif /* QUINTELLV_H */

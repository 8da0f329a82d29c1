/* QuintelDrv: the device-access library of the Kestrava Quintel hub.
 *
 * Usable from C and C++. Every export returns one of the QN_ status codes below (except
 * QnUnloadDriver, which returns nothing); results travel through out-parameters. Nothing throws,
 * nothing is logged. Records that cross this interface consist of 32-bit integers only, so 32-bit
 * and 64-bit builds share their layout.
 *
 * Calling order: QnLoadDriver (or directly QnEnumDevices, which probes when nothing was probed
 * yet), QnEnumDevices, QnOpenDevice with an identifier from a record, settings, output and
 * measurement calls with the handle, QnCloseDevice, and QnUnloadDriver at the end. Probing,
 * opening and closing are made from one thread.
 */
#ifndef QUINTELDRV_H
#define QUINTELDRV_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(QUINTELDRV_BUILDING)
#define QN_API __declspec(dllexport)
#else
#define QN_API __declspec(dllimport)
#endif
#if !defined(_WIN64)
#define QN_CALL __stdcall
#endif
#else
#define QN_API __attribute__((visibility("default")))
#endif
#ifndef QN_CALL
#define QN_CALL
#endif

#ifdef __cplusplus
#define QN_STATIC_ASSERT(condition, message) static_assert(condition, message)
extern "C" {
#else
#define QN_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

/* Status codes. */
#define QN_OK 0
#define QN_ERR_FAILED 1       /* hardware error without text; no measurement thread; no period */
#define QN_ERR_BAD_ID 2       /* unknown parameter identifier or information type */
#define QN_ERR_RANGE 3        /* channel index or parameter value out of range */
#define QN_ERR_BAD_SETTINGS 4 /* size marker other than 1028, or validation had to clamp */
#define QN_ERR_NO_HANDLE 5    /* null device handle, or one this library did not hand out */
#define QN_ERR_NO_DEVICE 6    /* no probed device has this identifier */
#define QN_ERR_BAD_ARG 7      /* null pointer, zero count or measurement argument out of range */
#define QN_ERR_READ_ONLY 8    /* the parameter cannot be written */
#define QN_ERR_ALREADY_OPEN 9 /* the device is already open (QnLoadDriver: a device is open) */
#define QN_ERR_DEVICE 10      /* a transfer failed, the device is not open, or no program built */
#define QN_ERR_NOT_READY 11   /* a measurement has not finished yet */
#define QN_ERR_TIMEOUT 12     /* a measurement did not finish within the time-out */

/* Hardware error codes, read with QnGetHardwareError. */
#define QN_HW_OK 0
#define QN_HW_CANNOT_OPEN 1    /* the device object could not be opened */
#define QN_HW_IOCTL_FAILED 2   /* an I/O-control call failed or returned fewer bytes than asked */
#define QN_HW_SEND_FAILED 3    /* reserved */
#define QN_HW_RECEIVE_FAILED 4 /* reserved */

/* Opaque handle of an open or probed device. */
typedef struct QnDeviceContext* QnHandle;

/* The enumeration record of one device, seven signed 32-bit words. */
typedef struct QnDeviceRecord {
    int32_t reserved;  /* always 0 */
    int32_t kind;      /* always 1 */
    int32_t id;        /* slot index + 1, so 1..5 */
    int32_t serial;    /* 32-bit value of the information block; 0 when absent */
    int32_t firmware;  /* 16-bit value of the information block; 0 when absent */
    int32_t isOpen;    /* 1 while the device is open in this process */
    int32_t speedCode; /* 20 Hi-Speed, 11 otherwise */
} QnDeviceRecord;
QN_STATIC_ASSERT(sizeof(QnDeviceRecord) == 28, "QnDeviceRecord is seven 32-bit words");

/* Information types of QnGetDeviceInfo. */
#define QN_INFO_KIND 0
#define QN_INFO_ID 1
#define QN_INFO_CONSTANT 2 /* always 1 */
#define QN_INFO_SERIAL 3
#define QN_INFO_FIRMWARE 4
#define QN_INFO_SPEED 5

/* The settings of one output channel: 17 unsigned 32-bit words in parameter order. */
typedef struct QnChannelSettings {
    uint32_t mode;       /* QN_PARAM_MODE */
    uint32_t delay;      /* QN_PARAM_DELAY */
    uint32_t highTime;   /* QN_PARAM_HIGH_TIME */
    uint32_t lowTime;    /* QN_PARAM_LOW_TIME */
    uint32_t invert;     /* QN_PARAM_INVERT */
    uint32_t idleLevel;  /* QN_PARAM_IDLE_LEVEL */
    uint32_t gateSource; /* QN_PARAM_GATE_SOURCE */
    uint32_t gateInvert; /* QN_PARAM_GATE_INVERT */
    uint32_t auxSource;  /* QN_PARAM_AUX_SOURCE */
    uint32_t auxInvert;  /* QN_PARAM_AUX_INVERT */
    uint32_t delay2;     /* QN_PARAM_DELAY2 */
    uint32_t highTime2;  /* QN_PARAM_HIGH_TIME2 */
    uint32_t lowTime2;   /* QN_PARAM_LOW_TIME2 */
    uint32_t extSource;  /* QN_PARAM_EXT_SOURCE */
    uint32_t extInvert;  /* QN_PARAM_EXT_INVERT */
    uint32_t pulseCount; /* QN_PARAM_PULSE_COUNT */
    uint32_t retrigger;  /* QN_PARAM_RETRIGGER */
} QnChannelSettings;
QN_STATIC_ASSERT(sizeof(QnChannelSettings) == 17 * 4, "QnChannelSettings is 17 words");

#define QN_SETTINGS_SIZE 1028u
#define QN_CHANNEL_COUNT 8
#define QN_ALL_CHANNELS 8 /* QnSetParameter: write all eight channels */
#define QN_RESERVED_WORDS 117

/* The settings record of one device: 257 unsigned 32-bit words, 1028 bytes. */
typedef struct QnDeviceSettings {
    uint32_t size;         /* must be QN_SETTINGS_SIZE */
    uint32_t measureInput; /* source number 0..10 */
    uint32_t measureMode;  /* 0 same-direction edges, 1 opposite edges */
    uint32_t measureEdge;  /* zero or non-zero: direction of the starting edge */
    QnChannelSettings channels[QN_CHANNEL_COUNT];
    uint32_t reserved[QN_RESERVED_WORDS];
} QnDeviceSettings;
QN_STATIC_ASSERT(sizeof(QnDeviceSettings) == 1028, "QnDeviceSettings is 1028 bytes");
QN_STATIC_ASSERT(sizeof(QnDeviceSettings) / sizeof(uint32_t) == 257,
                 "QnDeviceSettings is 257 words");

/* Parameter identifiers (8, 9, 12, 13, 17, 18, 21 and 22 do not exist). */
#define QN_PARAM_MODE 0
#define QN_PARAM_DELAY 1
#define QN_PARAM_HIGH_TIME 2
#define QN_PARAM_LOW_TIME 3
#define QN_PARAM_INVERT 4
#define QN_PARAM_IDLE_LEVEL 5
#define QN_PARAM_GATE_SOURCE 6
#define QN_PARAM_GATE_INVERT 7
#define QN_PARAM_AUX_SOURCE 10
#define QN_PARAM_AUX_INVERT 11
#define QN_PARAM_DELAY2 14
#define QN_PARAM_HIGH_TIME2 15
#define QN_PARAM_LOW_TIME2 16
#define QN_PARAM_EXT_SOURCE 19
#define QN_PARAM_EXT_INVERT 20
#define QN_PARAM_PULSE_COUNT 23
#define QN_PARAM_RETRIGGER 24

/* Attribute kinds of QnGetParameterAttribute. */
#define QN_ATTR_MINIMUM 0
#define QN_ATTR_MAXIMUM 1
#define QN_ATTR_TIMING 2    /* 1 for both durations of both pulse sets, clock source, count */
#define QN_ATTR_READ_ONLY 3 /* non-zero: QnSetParameter refuses with QN_ERR_READ_ONLY */

/* Called from the measurement thread as (argument2, 0, argument1). */
typedef void(QN_CALL* QnMeasureCallback)(uintptr_t, uintptr_t, uintptr_t);

/* Library frame (ordinals 1..7, 15). QnLoadDriver probes slots 0..4 and rebuilds the device
 * table; while any device is open it leaves the table alone and returns QN_ERR_ALREADY_OPEN. */
QN_API int32_t QN_CALL QnGetVersion(uint16_t* major, uint16_t* minor, uint16_t* build);
QN_API int32_t QN_CALL QnLoadDriver(void);
QN_API void QN_CALL QnUnloadDriver(void);
QN_API int32_t QN_CALL QnEnumDevices(QnDeviceRecord* records, uint32_t* count);
QN_API int32_t QN_CALL QnOpenDevice(uint32_t id, QnHandle* handle);
QN_API int32_t QN_CALL QnCloseDevice(QnHandle handle);
QN_API int32_t QN_CALL QnGetDeviceInfo(QnHandle handle, uint32_t type, int32_t* value,
                                       int32_t* reserved);
QN_API int32_t QN_CALL QnGetHardwareError(QnHandle handle, int32_t* code, char* text,
                                          uint32_t length);

/* Settings record and parameters (ordinals 8..14). */
QN_API int32_t QN_CALL QnReadDefaultSettings(QnHandle handle, QnDeviceSettings* settings);
QN_API int32_t QN_CALL QnReadDeviceSettings(QnHandle handle, QnDeviceSettings* settings);
QN_API int32_t QN_CALL QnRefreshDeviceSettings(QnHandle handle, const QnDeviceSettings* settings);
QN_API int32_t QN_CALL QnValidateDeviceSettings(QnHandle handle, QnDeviceSettings* settings);
QN_API int32_t QN_CALL QnGetParameterAttribute(QnHandle handle, const QnDeviceSettings* settings,
                                               uint32_t id, uint32_t kind, uint32_t* value);
QN_API int32_t QN_CALL QnGetParameter(QnHandle handle, const QnDeviceSettings* settings,
                                      uint32_t channel, uint32_t id, int32_t* value);
QN_API int32_t QN_CALL QnSetParameter(QnHandle handle, QnDeviceSettings* settings, uint32_t channel,
                                      uint32_t id, uint32_t value);

/* Outputs and measurement (ordinals 16..20). Opening outputs restarts every enabled channel in
 * step. A measurement times `input` and gives the duration in nanoseconds; QnStartMeasure calls
 * `callback` from its worker thread once the result is stored. Closing the device, unloading, or
 * starting another measurement ends a worker still running. An input that changes faster than
 * the hub can time (a phase shorter than two 20 ns ticks) has no period: QnSynchMeasure answers
 * QN_ERR_FAILED and leaves `*result` alone, a background measurement delivers 0. */
QN_API int32_t QN_CALL QnOpenOutputs(QnHandle handle, uint32_t mask);
QN_API int32_t QN_CALL QnCloseOutputs(QnHandle handle, uint32_t mask);
QN_API int32_t QN_CALL QnSynchMeasure(QnHandle handle, uint32_t input, uint32_t mode, int32_t edge,
                                      int32_t* result, uint32_t timeout);
QN_API int32_t QN_CALL QnStartMeasure(QnHandle handle, uint32_t input, uint32_t mode, int32_t edge,
                                      int32_t* result, QnMeasureCallback callback,
                                      uint32_t argument1, uint32_t argument2);
QN_API int32_t QN_CALL QnAbortMeasure(QnHandle handle);

/* Raw register access (ordinals 21..23); none of them takes the device's access semaphore. */
QN_API int32_t QN_CALL QnResetDevice(QnHandle handle);
QN_API int32_t QN_CALL QnWriteRegister(QnHandle handle, int32_t reg, int32_t value);
QN_API int32_t QN_CALL QnReadRegister(QnHandle handle, int32_t reg, int32_t* value);

#ifdef __cplusplus
}
#endif

#endif /* QUINTELDRV_H */

#pragma once
// One slot of the library's device table: what the library knows of one probed device and, while
// it is open, the handles through which it reaches it. A QnHandle is the address of one of these.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

#include "include/QuintelDrv.h"
#include "library/compiler/channel_block.h"
#include "library/compiler/sequencer_program.h"
#include "platform/device_file.h"
#include "platform/named_lock.h"

struct QnDeviceContext {
    std::uint8_t outputMask = 0;  // bit k: channel k's output is enabled
    // Set by QnAbortMeasure, read by a background measurement before each poll.
    std::atomic<std::uint32_t> abortFlag = 0;
    // Open while the device is probed or open.
    std::optional<zo::platform::DeviceFile> driver;
    std::uint32_t slot = 0;  // the n of "\\.\ZOUSB-n"
    QnDeviceRecord record{};
    std::int32_t informationConstant = 0;  // information type 2
    QnDeviceSettings current{};
    QnDeviceSettings defaults{};
    QnDeviceSettings lastApplied{};  // what the hub holds since the last complete refresh
    // Of the last request; a background measurement's polls record it too, beside the caller's.
    std::atomic<std::int32_t> hardwareError = QN_HW_OK;
    std::array<zo::quinteldrv::QnProgram, zo::quinteldrv::kProgramCount> programs{};
    // The header of the measurement program the hub holds; none when that is not known (never
    // loaded, or the last upload failed). The current record's header may say otherwise after a
    // refresh, which takes the caller's whole record but loads channel programs only.
    std::optional<zo::quinteldrv::MeasurementHeader> loadedMeasurement;
    // Held while the device is open; shared with every process that opens the same slot.
    std::optional<zo::platform::NamedLock> accessLock;
    // A background measurement: where its result goes, whom it calls, and its worker, which the
    // context owns and joins before the device is closed or another measurement starts.
    std::int32_t* measureResult = nullptr;
    QnMeasureCallback measureCallback = nullptr;
    std::uint32_t callbackArgument1 = 0;
    std::uint32_t callbackArgument2 = 0;
    std::thread measureWorker;
    // Held only for moments, never while the callback runs: while a worker is created and
    // stored (so it cannot deliver before it is stored), while the worker decides to deliver and
    // writes the result, and while an abort is recorded. So once QnAbortMeasure has returned,
    // nothing is written and no delivery begins.
    std::mutex deliveryMutex;

    QnDeviceContext() = default;
    QnDeviceContext(const QnDeviceContext&) = delete;
    QnDeviceContext& operator=(const QnDeviceContext&) = delete;
    // A worker left running when the process ends is stopped, never abandoned to terminate().
    ~QnDeviceContext();

    bool isOpen() const { return record.isOpen != 0; }
};

// The commands that operate a device through the library: changing settings, opening and
// closing outputs, and timing an input.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "include/QuintelDrv.h"
#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/open_device.h"

namespace zousbdiag {

namespace {

// The library's measurement worker calls back with 32-bit arguments only, so the one background
// measurement a run makes reports to this process-wide signal.
struct MeasurementSignal {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
};

MeasurementSignal& measurementSignal() {
    static MeasurementSignal signal;
    return signal;
}

void QN_CALL measurementFinished(uintptr_t, uintptr_t, uintptr_t) {
    MeasurementSignal& signal = measurementSignal();
    {
        const std::lock_guard lock(signal.mutex);
        signal.done = true;
    }
    signal.finished.notify_all();
}

// QnStartMeasure, then waits for its callback at most the time-out; aborts the measurement when
// it does not come.
std::int32_t measureInBackground(QnHandle handle, const Command& command, std::int32_t& result) {
    MeasurementSignal& signal = measurementSignal();
    {
        const std::lock_guard lock(signal.mutex);
        signal.done = false;
    }
    const std::int32_t status =
        QnStartMeasure(handle, command.source, command.measureMode, command.measureEdge, &result,
                       measurementFinished, 0, 0);
    if (status != QN_OK) {
        return status;
    }
    std::unique_lock lock(signal.mutex);
    if (!signal.finished.wait_for(lock, std::chrono::milliseconds(command.timeoutMilliseconds),
                                  [&] { return signal.done; })) {
        lock.unlock();
        QnAbortMeasure(handle);
        return QN_ERR_TIMEOUT;
    }
    return QN_OK;
}

// Opens or closes the outputs of the mask, when one was given.
bool switchOutputs(QnHandle handle, const Command& command, std::ostream& err) {
    if (!command.outputMask) {
        return true;
    }
    const std::int32_t status = command.openOutputs ? QnOpenOutputs(handle, *command.outputMask)
                                                    : QnCloseOutputs(handle, *command.outputMask);
    if (status != QN_OK) {
        reportFailure(command.openOutputs ? "QnOpenOutputs" : "QnCloseOutputs", status, handle,
                      err);
        return false;
    }
    return true;
}

// "1000", "1000000", "333333.333": three decimals without trailing zeros.
std::string frequencyText(double hertz) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", hertz);
    std::string digits(text);
    digits.erase(digits.find_last_not_of('0') + 1);
    if (digits.back() == '.') {
        digits.pop_back();
    }
    return digits;
}

}  // namespace

int runSet(const Command& command, std::ostream& out, std::ostream& err) {
    const OpenDevice device(command.deviceId, err);
    if (!device.isOpen() || !changeDeviceSettings(device.handle(), command.settings, err)) {
        return kExitFailure;
    }
    for (const ParameterSetting& setting : command.settings) {
        out << (setting.channel == QN_ALL_CHANNELS ? std::string("All channels")
                                                   : "Channel " + std::to_string(setting.channel))
            << "  " << parameterName(setting.parameter) << " = " << setting.value << '\n';
    }
    out << "Settings refreshed.\n";
    return kExitSuccess;
}

int runOutputs(const Command& command, std::ostream& out, std::ostream& err) {
    OpenDevice device(command.deviceId, err);
    if (!device.isOpen() || !changeDeviceSettings(device.handle(), command.settings, err) ||
        !switchOutputs(device.handle(), command, err)) {
        return kExitFailure;
    }
    if (command.leaveOpen) {
        device.leaveOpen();
    }
    out << (command.openOutputs ? "Opened" : "Closed") << " outputs "
        << "0x" << std::hex << *command.outputMask << std::dec << '\n';
    return kExitSuccess;
}

int runMeasure(const Command& command, std::ostream& out, std::ostream& err) {
    // Declared before the device so that the library's worker, stopped when the device closes,
    // never outlives it.
    std::int32_t result = 0;
    const OpenDevice device(command.deviceId, err);
    if (!device.isOpen() || !changeDeviceSettings(device.handle(), command.settings, err) ||
        !switchOutputs(device.handle(), command, err)) {
        return kExitFailure;
    }
    const std::int32_t status =
        command.background
            ? measureInBackground(device.handle(), command, result)
            : QnSynchMeasure(device.handle(), command.source, command.measureMode,
                             command.measureEdge, &result, command.timeoutMilliseconds);
    if (status == QN_ERR_TIMEOUT) {
        err << "zousbdiag: no measurement within " << command.timeoutMilliseconds
            << " ms (is there a signal on the input?)\n";
        return kExitFailure;
    }
    if (status != QN_OK) {
        return reportFailure(command.background ? "QnStartMeasure" : "QnSynchMeasure", status,
                             device.handle(), err);
    }
    const char* what = command.measureMode == 0 ? "Period" : "Edge to opposite edge";
    out << what << "  " << result << " ns\n";
    if (command.measureMode == 0 && result > 0) {
        out << "Frequency  " << frequencyText(1e9 / result) << " Hz\n";
    }
    return kExitSuccess;
}

}  // namespace zousbdiag

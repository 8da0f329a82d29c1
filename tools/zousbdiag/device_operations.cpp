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
#include "tools/zousbdiag/operation_warnings.h"
#include "tools/zousbdiag/settings_text.h"
#include "tools/zousbdiag/simulated_hub_lookup.h"
#include "tools/zousbdiag/time_text.h"
#include "tools/zousbdiag/wait_progress.h"

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
    if (!device.isOpen()) {
        return kExitFailure;
    }
    const std::optional<QnDeviceSettings> settings =
        changeDeviceSettings(device.handle(), command.settings, err);
    if (!settings) {
        return kExitFailure;
    }
    for (const ParameterSetting& setting : command.settings) {
        out << settingLine(setting, *settings) << '\n';
    }
    out << "Settings refreshed.\n";
    warnAboutClosedOutputs(*settings, command.settings, inputSignalsOf(command.deviceId), err);
    return kExitSuccess;
}

int runOutputs(const Command& command, std::ostream& out, std::ostream& err) {
    OpenDevice device(command.deviceId, err);
    if (!device.isOpen()) {
        return kExitFailure;
    }
    const std::optional<QnDeviceSettings> settings =
        changeDeviceSettings(device.handle(), command.settings, err);
    if (!settings || !switchOutputs(device.handle(), command, err)) {
        return kExitFailure;
    }
    if (command.leaveOpen) {
        device.leaveOpen();
    }
    out << (command.openOutputs ? "Opened" : "Closed") << " outputs "
        << "0x" << std::hex << *command.outputMask << std::dec << '\n';
    if (command.openOutputs) {
        warnAboutSilentOutputs(*settings, *command.outputMask, inputSignalsOf(command.deviceId),
                               err);
    }
    return kExitSuccess;
}

int runMeasure(const Command& command, std::ostream& out, std::ostream& err) {
    // Declared before the device so that the library's worker, stopped when the device closes,
    // never outlives it.
    std::int32_t result = 0;
    const OpenDevice device(command.deviceId, err);
    if (!device.isOpen()) {
        return kExitFailure;
    }
    const std::optional<QnDeviceSettings> settings =
        changeDeviceSettings(device.handle(), command.settings, err);
    if (!settings || !switchOutputs(device.handle(), command, err)) {
        return kExitFailure;
    }
    warnAboutMeasuredSource(command.source, *settings, command.outputMask.value_or(0),
                            inputSignalsOf(command.deviceId), err);
    std::int32_t status = QN_OK;
    {
        const WaitProgress progress(err, errorsGoToTerminal(), "measure",
                                    std::chrono::milliseconds(command.timeoutMilliseconds));
        status = command.background
                     ? measureInBackground(device.handle(), command, result)
                     : QnSynchMeasure(device.handle(), command.source, command.measureMode,
                                      command.measureEdge, &result, command.timeoutMilliseconds);
    }
    if (status == QN_ERR_TIMEOUT) {
        err << "zousbdiag: no measurement within " << command.timeoutMilliseconds
            << " ms (is there a signal on the input?)\n";
        return kExitFailure;
    }
    // The synchronous measurement refuses a count that is no period; the background one
    // delivers it as 0.
    if ((status == QN_ERR_FAILED && !command.background) || (status == QN_OK && result == 0)) {
        err << "zousbdiag: no period: the input changes faster than the hub can time (each high "
               "and low phase must last at least 40 ns)\n";
        return kExitFailure;
    }
    if (status != QN_OK) {
        return reportFailure(command.background ? "QnStartMeasure" : "QnSynchMeasure", status,
                             device.handle(), err);
    }
    const char* what = command.measureMode == 0 ? "Period" : "Edge to opposite edge";
    out << what << "  " << result << " ns (" << durationText(static_cast<std::uint64_t>(result))
        << ")\n";
    if (command.measureMode == 0 && result > 0) {
        out << "Frequency  " << frequencyText(1e9 / result) << " Hz\n";
    }
    return kExitSuccess;
}

}  // namespace zousbdiag

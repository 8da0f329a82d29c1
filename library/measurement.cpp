#include "library/measurement.h"

#include <chrono>
#include <optional>
#include <system_error>
#include <thread>

#include "library/compiler/sequencer_program.h"
#include "library/program_application.h"
#include "library/sequencer_control.h"
#include "platform/millisecond_clock.h"

namespace zo::quinteldrv {

namespace {

constexpr unsigned kFinishedBit = 8;
constexpr std::uint32_t kNanosecondsPerTick = 20;
constexpr auto kPollPeriod = std::chrono::milliseconds(1);

enum class Poll { Ready, NotReady, Failed };

// The read-out step: the measurement program's entry 0 is pointed at its entry 1 for one start
// and stop, and always set back.
bool runReadOut(QnDeviceContext& context) {
    QnProgram& program = context.programs[kMeasurementProgram];
    const std::int32_t measuring = program.entry0;
    program.entry0 = program.entry1;
    const bool done = startMeasurement(context) && stopMeasurement(context);
    program.entry0 = measuring;
    return done;
}

Poll pollOnce(QnDeviceContext& context, std::uint32_t& ticks) {
    const auto finished = readStatusBit(context, kFinishedBit);
    if (!finished) {
        return Poll::Failed;
    }
    if (!*finished) {
        return Poll::NotReady;
    }
    if (!stopMeasurement(context)) {
        return Poll::Failed;
    }
    const auto high = readProgramPair(context, kMeasurementProgram);
    if (!high || !runReadOut(context)) {
        return Poll::Failed;
    }
    const auto low = readProgramPair(context, kMeasurementProgram);
    if (!low) {
        return Poll::Failed;
    }
    // The program counts from the matching edge minus the four instructions around the count.
    ticks = (*high == 0 && *low == 0) ? 0 : (std::uint32_t{*high} << 16) + *low + 4;
    return Poll::Ready;
}

std::int32_t nanoseconds(std::uint32_t ticks) {
    return static_cast<std::int32_t>(ticks * kNanosecondsPerTick);
}

struct Delivery {
    QnMeasureCallback callback;
    std::uint32_t argument1;
    std::uint32_t argument2;
};

// Writes the result and hands out the callback, unless an abort came first. An abort that
// returns after this finds the delivery begun; its callback may still run, once.
std::optional<Delivery> beginDelivery(QnDeviceContext& context, std::uint32_t ticks) {
    const std::lock_guard delivery(context.deliveryMutex);
    if (context.abortFlag.load() != 0) {
        return std::nullopt;
    }
    *context.measureResult = nanoseconds(ticks);
    return Delivery{context.measureCallback, context.callbackArgument1, context.callbackArgument2};
}

void runWorker(QnDeviceContext& context) {
    while (context.abortFlag.load() == 0) {
        std::uint32_t ticks = 0;
        if (pollOnce(context, ticks) == Poll::Ready) {
            stopMeasurement(context);
            // Outside the mutex: a callback may abort, restart or wait for a thread that aborts.
            if (const auto delivery = beginDelivery(context, ticks)) {
                delivery->callback(delivery->argument2, 0, delivery->argument1);
            }
            return;
        }
        std::this_thread::sleep_for(kPollPeriod);
    }
}

}  // namespace

bool prepareMeasurement(QnDeviceContext& context, std::uint32_t input, std::uint32_t mode,
                        std::int32_t edge) {
    QnDeviceSettings& settings = context.current;
    settings.measureInput = input;
    settings.measureMode = mode;
    settings.measureEdge = static_cast<std::uint32_t>(edge);
    // Compared with what the hub holds, not with the current header, which a refresh replaces.
    const MeasurementHeader wanted{input, mode, settings.measureEdge};
    if (context.loadedMeasurement != wanted && !applyMeasurementProgram(context)) {
        return false;
    }
    return restartMeasurement(context);
}

std::int32_t waitForMeasurement(QnDeviceContext& context, std::int32_t* result,
                                std::uint32_t timeout) {
    const std::uint32_t start = platform::millisecondTicks();
    std::uint32_t ticks = 0;
    while (true) {
        const Poll poll = pollOnce(context, ticks);
        if (poll == Poll::Failed) {
            return QN_ERR_DEVICE;
        }
        if (poll == Poll::Ready) {
            break;
        }
        if (platform::millisecondTicks() - start >= timeout) {
            return stopMeasurement(context) ? QN_ERR_TIMEOUT : QN_ERR_DEVICE;
        }
        std::this_thread::sleep_for(kPollPeriod);
    }
    stopMeasurement(context);
    if (ticks == 0) {
        // No period reads as 0: the input changed faster than the program can follow.
        return QN_ERR_FAILED;
    }
    *result = nanoseconds(ticks);
    return QN_OK;
}

std::int32_t startMeasurementWorker(QnDeviceContext& context, std::int32_t* result,
                                    QnMeasureCallback callback, std::uint32_t argument1,
                                    std::uint32_t argument2) {
    stopMeasurementWorker(context);
    // The worker cannot deliver (and its callback cannot start another measurement) before it is
    // stored, since delivering takes this mutex too.
    const std::lock_guard delivery(context.deliveryMutex);
    context.measureResult = result;
    context.measureCallback = callback;
    context.callbackArgument1 = argument1;
    context.callbackArgument2 = argument2;
    context.abortFlag.store(0);
    try {
        context.measureWorker = std::thread(runWorker, std::ref(context));
    } catch (const std::system_error&) {
        return QN_ERR_FAILED;
    }
    return QN_OK;
}

void abortMeasurement(QnDeviceContext& context) {
    const std::lock_guard delivery(context.deliveryMutex);
    context.abortFlag.store(1);
}

void stopMeasurementWorker(QnDeviceContext& context) {
    abortMeasurement(context);
    if (!context.measureWorker.joinable()) {
        return;
    }
    if (context.measureWorker.get_id() == std::this_thread::get_id()) {
        // The callback itself closes or restarts: the worker ends as soon as it returns.
        context.measureWorker.detach();
        return;
    }
    context.measureWorker.join();
}

}  // namespace zo::quinteldrv

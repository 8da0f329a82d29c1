#include "app/core/editor/measurement_worker.h"

#include <utility>

namespace zo::quintel {
namespace {

constexpr double kNanosecondsPerSecond = 1e9;
constexpr std::uint32_t kPeriodMode = 0;
constexpr std::int32_t kRisingEdge = 1;

std::uint32_t SourceOf(ExternalInput input) {
    return input == ExternalInput::kA ? 1 : 2;
}

}  // namespace

double FrequencyOfPeriod(std::uint32_t periodNs) {
    return periodNs == 0 ? 0.0 : kNanosecondsPerSecond / periodNs;
}

MeasurementWorker::MeasurementWorker(CHubDevice& device, Delivery delivery,
                                     std::chrono::milliseconds pause)
    : device_(device), delivery_(std::move(delivery)), pause_(pause) {}

MeasurementWorker::~MeasurementWorker() {
    Stop();
}

void MeasurementWorker::SetMeasured(ExternalInput input, bool on) {
    measured_[static_cast<std::size_t>(input)] = on;
}

void MeasurementWorker::Start() {
    if (!thread_.joinable()) {
        thread_ = std::jthread([this](std::stop_token stop) { Run(std::move(stop)); });
    }
}

void MeasurementWorker::Stop() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

std::uint32_t MeasurementWorker::MeasureInput(ExternalInput input) {
    if (!measured_[static_cast<std::size_t>(input)]) {
        return 0;
    }
    std::int32_t result = 0;
    const std::int32_t status =
        device_.SynchMeasure(SourceOf(input), kPeriodMode, kRisingEdge, &result, kTimeoutMs);
    // A period that is not positive cannot be shown as a frequency.
    return status == QN_OK && result > 0 ? static_cast<std::uint32_t>(result) : 0;
}

std::optional<MeasurementReadout> MeasurementWorker::MeasurePass(std::stop_token stop) {
    if (!device_.m_bOpen) {
        return std::nullopt;
    }
    MeasurementReadout readout;
    for (ExternalInput input : {ExternalInput::kA, ExternalInput::kB}) {
        if (stop.stop_requested()) {
            return std::nullopt;
        }
        const std::uint32_t period = MeasureInput(input);
        std::uint32_t& last = lastPeriod_[static_cast<std::size_t>(input)];
        readout.changed = readout.changed || period != last;
        last = period;
        (input == ExternalInput::kA ? readout.periodA : readout.periodB) = period;
    }
    return readout;
}

void MeasurementWorker::Run(std::stop_token stop) {
    while (!stop.stop_requested()) {
        if (const std::optional<MeasurementReadout> readout = MeasurePass(stop)) {
            delivery_(*readout);
        }
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, stop, pause_, [] { return false; });
    }
}

}  // namespace zo::quintel

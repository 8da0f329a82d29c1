#include "library/device_table.h"

#include <array>

#include "library/measurement.h"

QnDeviceContext::~QnDeviceContext() {
    zo::quinteldrv::stopMeasurementWorker(*this);
}

namespace zo::quinteldrv {

namespace {

// Statically allocated and empty at load: no handles, zero records, programs and counts.
std::array<QnDeviceContext, kSlotCount> contexts;
std::size_t probedCount = 0;

}  // namespace

std::span<QnDeviceContext, kSlotCount> allContexts() {
    return contexts;
}

std::span<QnDeviceContext> probedContexts() {
    return std::span<QnDeviceContext>(contexts).first(probedCount);
}

void setProbedCount(std::size_t count) {
    probedCount = count < kSlotCount ? count : kSlotCount;
}

QnDeviceContext* contextOf(QnHandle handle) {
    for (QnDeviceContext& context : contexts) {
        if (&context == handle) {
            return &context;
        }
    }
    return nullptr;
}

void stopAllMeasurementWorkers() {
    for (QnDeviceContext& context : contexts) {
        stopMeasurementWorker(context);
    }
}

}  // namespace zo::quinteldrv

// QnLoadDriver: probing the driver's device objects of slots 0..4 and rebuilding the device table.

#include <algorithm>
#include <cstdlib>

#include "include/QuintelDrv.h"
#include "library/device_table.h"
#include "library/driver_transport.h"
#include "library/identification.h"
#include "library/settings_record.h"

namespace zo::quinteldrv {

namespace {

constexpr std::int32_t kDeviceKind = 1;

bool probeSlot(QnDeviceContext& context, std::uint32_t slot) {
    if (!openDeviceObject(context, slot)) {
        return false;
    }
    context.outputMask = 0;
    context.defaults = defaultSettings();
    context.slot = slot;
    context.record = QnDeviceRecord{};
    context.record.kind = kDeviceKind;
    context.record.id = static_cast<std::int32_t>(slot + 1);
    context.informationConstant = 1;
    context.record.speedCode = querySpeedCode(context);
    context.current = context.defaults;
    // A freshly probed hub holds no program this library loaded (it may be another hub than
    // before, or one that lost power), so every channel is loaded when it is opened.
    context.lastApplied = QnDeviceSettings{};
    const bool accepted = identifyDevice(context);
    closeDeviceObject(context);
    return accepted;
}

}  // namespace

}  // namespace zo::quinteldrv

extern "C" QN_API int32_t QN_CALL QnLoadDriver(void) {
    using namespace zo::quinteldrv;
    // Probing rewrites the contexts from the first one on; doing so under an open device would
    // orphan its driver and lock handles. The table is left as it is instead.
    const auto contexts = allContexts();
    if (std::any_of(contexts.begin(), contexts.end(),
                    [](const QnDeviceContext& context) { return context.isOpen(); })) {
        return QN_ERR_ALREADY_OPEN;
    }
    std::size_t count = 0;
    for (std::uint32_t slot = 0; slot < kSlotCount; ++slot) {
        if (probeSlot(contexts[count], slot)) {
            ++count;
        }
    }
    setProbedCount(count);
    // Probing made the simulated machine; a handler registered now runs at exit before the
    // machine is destroyed, so a worker the caller left running stops while it still has a hub.
    static const bool workersStopAtExit =
        std::atexit([] { zo::quinteldrv::stopAllMeasurementWorkers(); }) == 0;
    static_cast<void>(workersStopAtExit);
    return QN_OK;
}

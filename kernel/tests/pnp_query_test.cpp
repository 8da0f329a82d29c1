// The plug and play manager asks before it stops or removes a device stack: query-stop and
// query-remove, then the stop or removal, or the cancel when a driver of the stack refuses.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "kernel/irp.h"
#include "kernel/machine.h"
#include "kernel/objects.h"
#include "kernel/tests/test_stack.h"

namespace zo::kernel::test {
namespace {

// A function driver that passes every request down, records the minor functions it sees and
// refuses the one query a test names.
std::vector<UCHAR> seen;
UCHAR refused = 0xFF;

NTSTATUS dispatchPnp(DEVICE_OBJECT* device, IRP* irp) {
    const UCHAR minor = IoGetCurrentIrpStackLocation(irp)->MinorFunction;
    seen.push_back(minor);
    if (minor == refused) {
        irp->IoStatus.Status = STATUS_UNSUCCESSFUL;
        IoCompleteRequest(irp, IO_NO_INCREMENT);
        return STATUS_UNSUCCESSFUL;
    }
    return passPnpDown(device, irp);
}

NTSTATUS addDevice(DRIVER_OBJECT* driver, DEVICE_OBJECT* pdo) {
    DEVICE_OBJECT* device = nullptr;
    const NTSTATUS created = createAttached(driver, pdo, &device);
    if (NT_SUCCESS(created)) {
        device->Flags &= ~DO_DEVICE_INITIALIZING;
    }
    return created;
}

NTSTATUS driverEntry(DRIVER_OBJECT* driver, UNICODE_STRING*) {
    driver->DriverExtension->AddDevice = addDevice;
    driver->MajorFunction[IRP_MJ_PNP] = dispatchPnp;
    return STATUS_SUCCESS;
}

class PnpQueryTest : public ::testing::Test {
  protected:
    PnpQueryTest() {
        seen.clear();
        refused = 0xFF;
        port_ = machine_.pnp().plugIn(std::make_shared<QuietDevice>()).port;
        seen.clear();
    }

    Machine machine_{MachineOptions{driverEntry, BusCompletion::Immediate, 0x600, {}, nullptr}};
    int port_ = 0;
};

TEST_F(PnpQueryTest, AStopIsAskedForFirstAndARefusalIsCancelled) {
    EXPECT_EQ(machine_.pnp().stop(port_), STATUS_SUCCESS);
    EXPECT_EQ(seen, (std::vector<UCHAR>{IRP_MN_QUERY_STOP_DEVICE, IRP_MN_STOP_DEVICE}));

    ASSERT_EQ(machine_.pnp().start(port_), STATUS_SUCCESS);
    seen.clear();
    refused = IRP_MN_QUERY_STOP_DEVICE;
    EXPECT_EQ(machine_.pnp().stop(port_), STATUS_UNSUCCESSFUL);
    EXPECT_EQ(seen, (std::vector<UCHAR>{IRP_MN_QUERY_STOP_DEVICE, IRP_MN_CANCEL_STOP_DEVICE}));
}

TEST_F(PnpQueryTest, AnOrderlyRemovalIsAskedForFirstAndARefusalIsCancelled) {
    refused = IRP_MN_QUERY_REMOVE_DEVICE;
    EXPECT_EQ(machine_.pnp().removeOrderly(port_), STATUS_UNSUCCESSFUL);
    EXPECT_EQ(seen, (std::vector<UCHAR>{IRP_MN_QUERY_REMOVE_DEVICE, IRP_MN_CANCEL_REMOVE_DEVICE}));

    seen.clear();
    refused = 0xFF;
    EXPECT_EQ(machine_.pnp().removeOrderly(port_), STATUS_SUCCESS);
    EXPECT_EQ(seen, (std::vector<UCHAR>{IRP_MN_QUERY_REMOVE_DEVICE, IRP_MN_REMOVE_DEVICE}));
}

}  // namespace
}  // namespace zo::kernel::test

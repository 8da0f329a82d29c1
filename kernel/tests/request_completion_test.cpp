// Completing a request: a driver that completes a request twice stops the machine with the bug
// check Windows stops with.

#include <gtest/gtest.h>

#include "kernel/irp.h"
#include "kernel/machine.h"
#include "kernel/objects.h"

namespace zo::kernel::test {
namespace {

NTSTATUS completeTwice(DEVICE_OBJECT*, IRP* irp) {
    irp->IoStatus.Status = STATUS_SUCCESS;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return STATUS_SUCCESS;
}

NTSTATUS completeOnce(DEVICE_OBJECT*, IRP* irp) {
    irp->IoStatus.Status = STATUS_SUCCESS;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return STATUS_SUCCESS;
}

NTSTATUS entryCompletingTwice(DRIVER_OBJECT* driver, UNICODE_STRING*) {
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = completeTwice;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = completeOnce;
    return STATUS_SUCCESS;
}

// Sends a request of `major` to a device of a driver whose dispatch routines complete as named.
NTSTATUS sendTo(UCHAR major) {
    Machine machine(MachineOptions{nullptr, BusCompletion::Immediate, 0x600, {}, nullptr});
    DRIVER_OBJECT* driver = machine.createDriver("\\Driver\\completion", entryCompletingTwice);
    DEVICE_OBJECT* device = nullptr;
    EXPECT_EQ(IoCreateDevice(driver, 0, nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE, &device),
              STATUS_SUCCESS);
    IRP* irp = IoAllocateIrp(device->StackSize, FALSE);
    IoGetNextIrpStackLocation(irp)->MajorFunction = major;
    const NTSTATUS status = IoCallDriver(device, irp);
    IoFreeIrp(irp);
    IoDeleteDevice(device);
    return status;
}

TEST(RequestCompletion, ARequestCompletedOnceIsAnswered) {
    EXPECT_EQ(sendTo(IRP_MJ_INTERNAL_DEVICE_CONTROL), STATUS_SUCCESS);
}

TEST(RequestCompletionDeathTest, ARequestCompletedTwiceStopsTheMachine) {
    EXPECT_DEATH(sendTo(IRP_MJ_DEVICE_CONTROL), "MULTIPLE_IRP_COMPLETE_REQUESTS \\(0x44\\)");
}

}  // namespace
}  // namespace zo::kernel::test

// Opens against a stack being built: a device still in its add-device routine cannot be opened,
// and an open that reaches a stack while a device is being attached to it waits until the
// attachment is whole.

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "kernel/irp.h"
#include "kernel/machine.h"
#include "kernel/objects.h"
#include "kernel/tests/test_stack.h"

namespace zo::kernel::test {
namespace {

// A function driver whose add-device routine runs `afterAttach` before it clears
// DO_DEVICE_INITIALIZING (unless `forgetToClear`), and which counts the opens reaching it.
std::function<void()> afterAttach;
bool forgetToClear = false;
int creates = 0;

NTSTATUS complete(DEVICE_OBJECT*, IRP* irp) {
    if (IoGetCurrentIrpStackLocation(irp)->MajorFunction == IRP_MJ_CREATE) {
        ++creates;
    }
    irp->IoStatus.Status = STATUS_SUCCESS;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return STATUS_SUCCESS;
}

NTSTATUS addDevice(DRIVER_OBJECT* driver, DEVICE_OBJECT* pdo) {
    DEVICE_OBJECT* device = nullptr;
    const NTSTATUS created = createAttached(driver, pdo, &device);
    if (!NT_SUCCESS(created)) {
        return created;
    }
    if (afterAttach) {
        afterAttach();
    }
    if (!forgetToClear) {
        device->Flags &= ~DO_DEVICE_INITIALIZING;
    }
    return STATUS_SUCCESS;
}

NTSTATUS driverEntry(DRIVER_OBJECT* driver, UNICODE_STRING*) {
    driver->DriverExtension->AddDevice = addDevice;
    driver->MajorFunction[IRP_MJ_CREATE] = complete;
    driver->MajorFunction[IRP_MJ_CLOSE] = complete;
    driver->MajorFunction[IRP_MJ_PNP] = passPnpDown;
    return STATUS_SUCCESS;
}

// One thread tells another that it has reached a point.
class Signal {
  public:
    void raise() {
        {
            std::lock_guard lock(mutex_);
            raised_ = true;
        }
        changed_.notify_all();
    }
    // Bounded only so that a broken kernel fails the test instead of hanging it.
    bool wait() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return raised_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool raised_ = false;
};

// A hub on the bus without a driver yet, its physical device object reachable as "\\.\PORT".
class StackAttachment : public ::testing::Test {
  protected:
    StackAttachment() {
        afterAttach = nullptr;
        forgetToClear = false;
        creates = 0;
        port_ = machine_.bus().attach(std::make_shared<QuietDevice>()).number();
        machine_.objects().createLink("\\DosDevices\\PORT", machine_.bus().port(port_)->pdo->name);
    }

    NTSTATUS openAndClose() {
        std::shared_ptr<OpenFile> file;
        const NTSTATUS status = machine_.io().open("\\\\.\\PORT", false, file);
        if (file) {
            machine_.io().close(*file);
        }
        return status;
    }

    Machine machine_{MachineOptions{driverEntry, BusCompletion::Immediate, 0x600, {}, nullptr}};
    int port_ = 0;
};

using StackAttachmentDeathTest = StackAttachment;

TEST_F(StackAttachment, AnOpenDuringTheAttachmentWaitsAndFindsTheDeviceStillInitializing) {
    Signal openWaits;
    NTSTATUS opened = STATUS_PENDING;
    std::thread opener;
    bool openerWaited = false;
    machine_.hooks().openWaitsForDatabase = [&] { openWaits.raise(); };
    machine_.hooks().insideAttach = [&] {
        // The attachment is under way: an open now must wait for it, not slip in between.
        opener = std::thread([&] { opened = openAndClose(); });
        openerWaited = openWaits.wait();
    };
    // The open ends before the driver clears DO_DEVICE_INITIALIZING, so it sees the new device on
    // top of the stack, whole and still initializing.
    afterAttach = [&] { opener.join(); };
    ASSERT_EQ(machine_.pnp().addDevice(port_), STATUS_SUCCESS);
    EXPECT_TRUE(openerWaited) << "the open did not wait for the attachment";
    EXPECT_EQ(opened, STATUS_NO_SUCH_DEVICE);
    EXPECT_EQ(creates, 0) << "an open entered a device still in its add-device routine";

    machine_.hooks() = {};
    EXPECT_EQ(openAndClose(), STATUS_SUCCESS);
    EXPECT_EQ(creates, 1);
}

TEST_F(StackAttachmentDeathTest, AnAddDeviceThatLeavesTheDeviceInitializingStopsTheMachine) {
    forgetToClear = true;
    EXPECT_DEATH(machine_.pnp().addDevice(port_),
                 "DRIVER_VERIFIER_IOMANAGER_VIOLATION \\(0xC9\\) \\[0x243,");
}

TEST_F(StackAttachment, NothingAttachesToAStackBeingRemoved) {
    ASSERT_EQ(machine_.pnp().addDevice(port_), STATUS_SUCCESS);
    std::shared_ptr<OpenFile> file;
    ASSERT_EQ(machine_.io().open("\\\\.\\PORT", false, file), STATUS_SUCCESS);
    machine_.pnp().unplug(port_);
    // Surprise-removed, its removal waiting for the handle: no new open, no new device on top.
    EXPECT_EQ(openAndClose(), STATUS_NO_SUCH_DEVICE);
    DEVICE_OBJECT* filter = nullptr;
    ASSERT_EQ(IoCreateDevice(machine_.functionDriver(), 0, nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE,
                             &filter),
              STATUS_SUCCESS);
    EXPECT_EQ(IoAttachDeviceToDeviceStack(filter, machine_.bus().port(port_)->pdo), nullptr);
    IoDeleteDevice(filter);
    machine_.io().close(*file);
    EXPECT_EQ(machine_.bus().port(port_), nullptr) << "the last close lets the removal go ahead";
}

}  // namespace
}  // namespace zo::kernel::test

// Plug and play of zousbdrv: instance digits, opening, capabilities, and the cleanup paths of the
// add-device routine.

#include <thread>

#include "driver/tests/driver_test_support.h"

namespace zo::test {
namespace {

using PnpTest = DriverTest;

TEST_F(PnpTest, EightHubsTakeTheDigitsInOrderAndANinthFails) {
    for (int instance = 0; instance < 8; ++instance) {
        plug();
        ASSERT_EQ(lastAdded(), STATUS_SUCCESS);
        EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-" + std::to_string(instance)), STATUS_SUCCESS);
    }
    plug();
    EXPECT_FALSE(NT_SUCCESS(lastAdded()));
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-8"), STATUS_OBJECT_NAME_NOT_FOUND);
}

TEST_F(PnpTest, ADigitFreedByRemovalIsTakenByTheNextHub) {
    plug();
    plug();
    const int secondPort = lastPort();
    plug();
    machine().pnp().unplug(secondPort);
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-1"), STATUS_OBJECT_NAME_NOT_FOUND);
    plug();
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-1"), STATUS_SUCCESS);
}

TEST_F(PnpTest, OpensFailBeforeStartAndSucceedAfterStartAndAfterStop) {
    auto device = std::make_shared<RecordingDevice>(hub::HubOptions{});
    const int port = machine().bus().attach(device).number();
    ASSERT_EQ(machine().pnp().addDevice(port), STATUS_SUCCESS);
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-0"), STATUS_UNSUCCESSFUL);
    ASSERT_EQ(machine().pnp().start(port), STATUS_SUCCESS);
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-0"), STATUS_SUCCESS);
    EXPECT_EQ(tryOpen("\\\\.\\zousb-0"), STATUS_SUCCESS) << "object names ignore case";
    ASSERT_EQ(machine().pnp().stop(port), STATUS_SUCCESS);
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-0"), STATUS_SUCCESS);
    // Stopped means unconfigured: transfers on the pipes fail until the next start.
    auto file = open(0);
    EXPECT_FALSE(NT_SUCCESS(ioctl(*file, IOCTL_ZOUSB_PIPE_WRITE, word32(0), 4).status));
    ASSERT_EQ(machine().pnp().start(port), STATUS_SUCCESS);
    EXPECT_EQ(ioctl(*file, IOCTL_ZOUSB_PIPE_WRITE, word32(0), 4).status, STATUS_SUCCESS);
    machine().io().close(*file);
}

// Plug and play starts and restarts the hub on its own thread while a program opens it and
// selects its interface: each sees the hub started or not, never half of it.
TEST_F(PnpTest, OpensAndSelectionsDuringAStartSeeTheHubStartedOrNot) {
    auto device = std::make_shared<RecordingDevice>(hub::HubOptions{});
    const int port = machine().bus().attach(device).number();
    ASSERT_EQ(machine().pnp().addDevice(port), STATUS_SUCCESS);
    std::thread starting([&] { EXPECT_EQ(machine().pnp().start(port), STATUS_SUCCESS); });
    std::shared_ptr<kernel::OpenFile> file;
    NTSTATUS opened = STATUS_UNSUCCESSFUL;
    while (opened == STATUS_UNSUCCESSFUL) {
        opened = machine().io().open("\\\\.\\ZOUSB-0", false, file);
    }
    EXPECT_EQ(opened, STATUS_SUCCESS);
    starting.join();
    std::thread restarting([&] {
        machine().pnp().stop(port);
        EXPECT_EQ(machine().pnp().start(port), STATUS_SUCCESS);
    });
    for (int selection = 0; selection < 20; ++selection) {
        ioctl(*file, IOCTL_ZOUSB_SELECT_INTERFACE, {0, 0});
    }
    restarting.join();
    EXPECT_EQ(ioctl(*file, IOCTL_ZOUSB_SELECT_INTERFACE, {0, 0}).status, STATUS_SUCCESS);
    machine().io().close(*file);
}

TEST_F(PnpTest, StartReadsDescriptorsAndSelectsTheConfiguration) {
    auto device = plug();
    const auto controls = device->controls();
    ASSERT_GE(controls.size(), 4u);
    EXPECT_EQ(controls[0].setup.value, 0x0100);  // device descriptor
    EXPECT_EQ(controls[0].setup.length, 18);
    EXPECT_EQ(controls[1].setup.value, 0x0200);  // configuration header
    EXPECT_EQ(controls[1].setup.length, 9);
    EXPECT_EQ(controls[2].setup.value, 0x0200);  // the whole configuration
    EXPECT_GT(controls[2].setup.length, 9);
    EXPECT_EQ(controls[3].setup.request, 9);  // SET_CONFIGURATION
    EXPECT_EQ(controls[3].setup.value, 1);
}

TEST_F(PnpTest, AFailedStartLeavesTheHubClosedAndItsRemovalClean) {
    auto device = std::make_shared<RecordingDevice>(hub::HubOptions{});
    device->hub().stallNextControlTransfers(1);
    const auto plugged = machine().pnp().plugIn(device);
    EXPECT_EQ(plugged.added, STATUS_SUCCESS);
    EXPECT_EQ(plugged.started, STATUS_UNSUCCESSFUL);
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-0"), STATUS_UNSUCCESSFUL);
    machine().pnp().unplug(plugged.port);
    EXPECT_EQ(machine().objects().linkNames().size(), 0u);
}

TEST_F(PnpTest, CapabilitiesCarrySurpriseRemovalOnlyFromVersionOne) {
    plug();
    DEVICE_CAPABILITIES capabilities{};
    capabilities.Version = 0;
    EXPECT_EQ(machine().pnp().queryCapabilities(lastPort(), capabilities), STATUS_SUCCESS);
    EXPECT_EQ(capabilities.SurpriseRemovalOK, 0u);
    capabilities.Version = 1;
    EXPECT_EQ(machine().pnp().queryCapabilities(lastPort(), capabilities), STATUS_SUCCESS);
    EXPECT_EQ(capabilities.SurpriseRemovalOK, 1u);
    EXPECT_EQ(capabilities.Removable, 1u) << "the bus driver's answer passes through";
}

TEST_F(PnpTest, PowerRequestsPassThroughToTheBus) {
    plug();
    EXPECT_EQ(machine().pnp().setPower(lastPort(), 1, 3), STATUS_SUCCESS);
    EXPECT_EQ(machine().pnp().setPower(lastPort(), 1, 1), STATUS_SUCCESS);
}

TEST_F(PnpTest, AHubRemovedBeforeStartLeavesNoLinkBehind) {
    auto device = std::make_shared<RecordingDevice>(hub::HubOptions{});
    const int port = machine().bus().attach(device).number();
    ASSERT_EQ(machine().pnp().addDevice(port), STATUS_SUCCESS);
    machine().pnp().unplug(port);
    EXPECT_TRUE(machine().objects().linkNames().empty());
    plug();
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-0"), STATUS_SUCCESS) << "digit 0 is free again";
}

TEST_F(PnpTest, AFailedLinkDeletesItsDeviceObjectAndTheNextDigitIsTried) {
    machine().faults().failNext(kernel::KernelCall::CreateSymbolicLink);
    plug();
    ASSERT_EQ(lastAdded(), STATUS_SUCCESS);
    EXPECT_EQ(machine().objects().resolve("\\Device\\Zousb-0"), nullptr);
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-1"), STATUS_SUCCESS);
}

TEST_F(PnpTest, AFailedAttachFailsTheAddDeviceRoutineWithoutLeftovers) {
    const std::size_t devicesBefore = machine().objects().deviceCount();
    machine().faults().failNext(kernel::KernelCall::AttachDevice);
    plug();
    EXPECT_EQ(lastAdded(), STATUS_NO_SUCH_DEVICE);
    EXPECT_EQ(machine().objects().deviceCount(), devicesBefore + 1) << "only the hub's PDO";
    EXPECT_TRUE(machine().objects().linkNames().empty());
}

TEST_F(PnpTest, ATakenNameMakesTheRoutineTryTheNextDigit) {
    UNICODE_STRING link;
    UNICODE_STRING target;
    RtlInitUnicodeString(&link, u"\\DosDevices\\ZOUSB-0");
    RtlInitUnicodeString(&target, u"\\Device\\Elsewhere");
    ASSERT_EQ(IoCreateSymbolicLink(&link, &target), STATUS_SUCCESS);
    plug();
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-1"), STATUS_SUCCESS);
    IoDeleteSymbolicLink(&link);
}

// A bus driver may answer a power request STATUS_PENDING after it has already completed it.
NTSTATUS completeThenAnswerPending(DEVICE_OBJECT*, IRP* irp) {
    PoStartNextPowerIrp(irp);
    IoMarkIrpPending(irp);
    irp->IoStatus.Status = STATUS_SUCCESS;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return STATUS_PENDING;
}

using PowerTest = DriverTest;

TEST_F(PowerTest, APendingAnswerOfTheBusDriverIsPassedOnUntouched) {
    plug();
    machine().bus().port(lastPort())->pdo->DriverObject->MajorFunction[IRP_MJ_POWER] =
        completeThenAnswerPending;
    // The request is gone when the answer arrives; touching it would stop the machine.
    EXPECT_EQ(machine().pnp().setPower(lastPort(), 1, 3), STATUS_SUCCESS);
}

}  // namespace
}  // namespace zo::test

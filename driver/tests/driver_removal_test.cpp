// Removal while requests are in flight, and the failure paths of every allocation.

#include <atomic>
#include <thread>

#include "driver/device_context.h"
#include "driver/tests/driver_test_support.h"

namespace zo::test {
namespace {

class RemovalTest : public DriverTest {
  protected:
    RemovalTest() : DriverTest(kernel::BusCompletion::Deferred) {}
};

TEST_F(RemovalTest, ARequestInFlightFinishesBeforeRemovalAndLaterOnesAreRefused) {
    plug();
    const int port = lastPort();
    auto early = open(0);
    auto late = open(0);
    machine().bus().holdCompletions(true);

    Reply inFlight{};
    std::thread caller([&] { inFlight = vendorIn(*early, 0xFC, 0xC000, 0, 1); });
    ASSERT_TRUE(machine().bus().waitUntilQueued(1, std::chrono::seconds(10)));

    std::atomic<bool> removed = false;
    std::thread remover([&] {
        machine().pnp().remove(port);
        removed = true;
    });
    // Once removal has begun new requests are refused; it cannot end while one is in flight.
    const DeviceContext* context = contextOf(early->device.get());
    while (!std::atomic_ref<const BOOLEAN>(context->Removing).load()) {
        std::this_thread::yield();
    }
    const Reply refused = vendorIn(*late, 0xFC, 0xC000, 0, 1);
    EXPECT_EQ(refused.status, STATUS_DELETE_PENDING);
    EXPECT_EQ(refused.information, 0u);
    EXPECT_FALSE(removed);

    machine().bus().holdCompletions(false);
    caller.join();
    remover.join();
    EXPECT_EQ(inFlight.status, STATUS_SUCCESS);
    EXPECT_EQ(inFlight.information, 1u);
    EXPECT_TRUE(removed);
    EXPECT_TRUE(machine().objects().linkNames().empty());
    machine().io().close(*early);
    machine().io().close(*late);
}

TEST_F(RemovalTest, ManyThreadsRacingAnUnplugEndWithoutLeaksOrHangs) {
    plug();
    const int port = lastPort();
    constexpr int kThreads = 6;
    std::vector<std::shared_ptr<kernel::OpenFile>> files;
    for (int i = 0; i < kThreads; ++i) {
        files.push_back(open(0));
    }
    // A request ends in success, in a refusal because the device is going or gone, or in a failed
    // transfer when the hub vanished while it was on the wire; anything else is a fault.
    std::atomic<NTSTATUS> unexpected = STATUS_SUCCESS;
    std::atomic<int> done = 0;
    std::vector<std::thread> callers;
    for (int i = 0; i < kThreads; ++i) {
        callers.emplace_back([&, i] {
            for (int request = 0; request < 300; ++request) {
                const NTSTATUS status = vendorIn(*files[i], 0xFC, 0xC000, 0, 1).status;
                if (status != STATUS_SUCCESS && status != STATUS_DELETE_PENDING &&
                    status != STATUS_NO_SUCH_DEVICE && status != STATUS_DEVICE_NOT_CONNECTED &&
                    status != STATUS_UNSUCCESSFUL) {
                    unexpected = status;
                }
                if (request == 20) {
                    ++done;
                }
            }
        });
    }
    while (done < kThreads) {
        std::this_thread::yield();
    }
    machine().pnp().unplug(port);
    for (auto& caller : callers) {
        caller.join();
    }
    EXPECT_EQ(unexpected, STATUS_SUCCESS) << kernel::statusName(unexpected);
    for (auto& file : files) {
        machine().io().close(*file);
    }
}

TEST_F(RemovalTest, AnUnpluggedHubIsRemovedOnlyWhenItsLastHandleCloses) {
    plug();
    const int port = lastPort();
    auto first = open(0);
    auto second = open(0);
    machine().pnp().unplug(port);
    // Surprise-removed: requests on the open handles are refused, its name is gone, and even by
    // another name the device cannot be opened; its device object waits for the handles.
    EXPECT_EQ(vendorIn(*first, 0xFC, 0xC000, 0, 1).status, STATUS_DELETE_PENDING);
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-0"), STATUS_OBJECT_NAME_NOT_FOUND);
    ASSERT_EQ(machine().objects().createLink("\\DosDevices\\Former", "\\Device\\Zousb-0"),
              STATUS_SUCCESS);
    EXPECT_EQ(tryOpen("\\\\.\\Former"), STATUS_NO_SUCH_DEVICE);
    // A hub plugged in meanwhile takes the next digit.
    plug();
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-1"), STATUS_SUCCESS);

    EXPECT_EQ(machine().io().close(*first), STATUS_SUCCESS);
    EXPECT_NE(machine().objects().resolve("\\Device\\Zousb-0"), nullptr) << "one handle is open";
    EXPECT_NE(machine().bus().port(port), nullptr);
    EXPECT_EQ(machine().io().close(*second), STATUS_SUCCESS);
    EXPECT_EQ(machine().objects().resolve("\\Device\\Zousb-0"), nullptr);
    EXPECT_EQ(machine().bus().port(port), nullptr);
    // TearDown checks that the removal released everything.
}

TEST_F(RemovalTest, AnOrderlyRemovalIsVetoedWhileAHandleIsOpen) {
    plug();
    const int port = lastPort();
    auto file = open(0);
    EXPECT_EQ(machine().pnp().removeOrderly(port), STATUS_DEVICE_BUSY);
    EXPECT_EQ(vendorIn(*file, 0xFC, 0xC000, 0, 1).status, STATUS_SUCCESS)
        << "the cancelled removal leaves the hub running";
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-0"), STATUS_SUCCESS);
    machine().io().close(*file);
    EXPECT_EQ(machine().pnp().removeOrderly(port), STATUS_SUCCESS);
    EXPECT_EQ(tryOpen("\\\\.\\ZOUSB-0"), STATUS_OBJECT_NAME_NOT_FOUND);
}

TEST_F(RemovalTest, RemovalAbortsTransfersWaitingOnThePipes) {
    plug();
    const int port = lastPort();
    auto file = open(0);
    machine().bus().holdCompletions(true);
    Reply pending{};
    std::thread reader([&] { pending = ioctl(*file, IOCTL_ZOUSB_PIPE_READ, word32(1), 16); });
    ASSERT_TRUE(machine().bus().waitUntilQueued(1, std::chrono::seconds(10)));
    std::thread remover([&] { machine().pnp().remove(port); });
    reader.join();
    remover.join();
    EXPECT_EQ(pending.status, STATUS_CANCELLED);
    machine().bus().holdCompletions(false);
    machine().io().close(*file);
}

// Walks every allocation of start, a round of requests and removal, making each fail in turn:
// whatever fails, nothing stays allocated.
class AllocationFailureTest : public DriverTest {};

TEST_F(AllocationFailureTest, EveryFailedAllocationReleasesEverything) {
    for (std::size_t failing = 1; failing < 60; ++failing) {
        SCOPED_TRACE("allocation " + std::to_string(failing));
        auto device = std::make_shared<RecordingDevice>(hub::HubOptions{});
        const int port = machine().bus().attach(device).number();
        ASSERT_EQ(machine().pnp().addDevice(port), STATUS_SUCCESS);
        machine().pool().failAllocation(failing);
        if (NT_SUCCESS(machine().pnp().start(port))) {
            std::shared_ptr<kernel::OpenFile> file;
            ASSERT_EQ(machine().io().open("\\\\.\\ZOUSB-0", false, file), STATUS_SUCCESS);
            std::vector<std::uint8_t> data(130);
            vendorIn(*file, 0xFC, 0xC000, 0, 1);
            ioctl(*file, IOCTL_ZOUSB_SELECT_INTERFACE, {0, 0});
            ioctl(*file, IOCTL_ZOUSB_VENDOR_TRANSFER, {0xA0, 0, 0, 0, 0, 0, 4, 0, 0, 0});
            machine().io().deviceControl(*file, IOCTL_ZOUSB_LOAD_MEMORY,
                                         std::vector<std::uint8_t>{0, 0}, data);
            ioctl(*file, IOCTL_ZOUSB_LOAD_BLOCKS, std::vector<std::uint8_t>(512));
            ioctl(*file, IOCTL_ZOUSB_PIPE_READ, word32(1), 8);
            ioctl(*file, IOCTL_ZOUSB_RESET_PIPE, word32(1));
            ioctl(*file, IOCTL_ZOUSB_READ_STRING_DESCRIPTOR, {1, 0, 9, 4}, 64);
            ioctl(*file, IOCTL_ZOUSB_GET_FRAME_NUMBER, {}, 4);
            ioctl(*file, IOCTL_ZOUSB_SET_FEATURE, {1, 0, 0, 0});
            machine().pnp().stop(port);
            machine().io().close(*file);
        }
        machine().pnp().unplug(port);
        machine().pool().failAllocation(0);
        ASSERT_EQ(machine().pool().outstanding(), 0u);
        ASSERT_EQ(machine().outstandingIrps(), 0u);
    }
}

// Older USB stacks take 36-byte pipe requests; the driver sizes them by the stack's version.
class OldUsbStackTest : public DriverTest {
  protected:
    OldUsbStackTest() : DriverTest(kernel::BusCompletion::Immediate, 0x100) {}
};

TEST_F(OldUsbStackTest, PipeRequestsStillWork) {
    plug();
    auto file = open(0);
    EXPECT_EQ(ioctl(*file, IOCTL_ZOUSB_RESET_PIPE, word32(0)).status, STATUS_SUCCESS);
    EXPECT_EQ(ioctl(*file, IOCTL_ZOUSB_ABORT_PIPE, word32(0)).status, STATUS_SUCCESS);
    machine().io().close(*file);
}

}  // namespace
}  // namespace zo::test

// When the bus completes control transfers: in the sender's thread while the bus is idle, else
// from the bus thread behind the transfers before it, never overtaking one; and always from the
// bus thread when it defers every transfer.

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "kernel/machine.h"

namespace zo::kernel {
namespace {

// A device that answers every control transfer, noting its request and the thread it came on.
// Transfers of the gated request wait in the device until the gate opens.
class GatedDevice : public usb::UsbDevice {
  public:
    struct Seen {
        std::uint8_t request;
        std::thread::id thread;
    };

    usb::Speed speed() const override { return usb::Speed::High; }
    usb::TransferResult control(const usb::SetupPacket& setup, std::span<std::uint8_t>) override {
        std::unique_lock lock(mutex_);
        seen_.push_back({setup.request, std::this_thread::get_id()});
        changed_.notify_all();
        changed_.wait(lock, [&] { return setup.request != gated_ || open_; });
        return {usb::TransferStatus::Ok, 0};
    }
    usb::TransferResult transfer(std::uint8_t, std::span<std::uint8_t>) override {
        return {usb::TransferStatus::Stall, 0};
    }
    void portReset() override {}

    void gate(std::uint8_t request) {
        std::lock_guard lock(mutex_);
        gated_ = request;
    }
    void open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }
    void waitUntilSeen(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return seen_.size() >= count; });
    }
    std::vector<Seen> seen() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Seen> seen_;
    std::uint8_t gated_ = 0;
    bool open_ = false;
};

// One vendor request without data, its request built by IoBuildDeviceIoControlRequest.
struct Transfer {
    explicit Transfer(std::uint8_t request) {
        urb.UrbHeader.Length = sizeof(_URB_CONTROL_VENDOR_OR_CLASS_REQUEST);
        urb.UrbHeader.Function = URB_FUNCTION_VENDOR_DEVICE;
        urb.UrbControlVendorClassRequest.Request = request;
        KeInitializeEvent(&done, NotificationEvent, FALSE);
    }
    void wait() { KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr); }

    URB urb{};
    KEVENT done{};
    IO_STATUS_BLOCK status{};
    NTSTATUS returned = STATUS_UNSUCCESSFUL;  // what the bus answered the submission
};

// Sends the transfer to the bus's device object `pdo`; a completion routine, when given, runs with
// `context` as it completes.
void send(DEVICE_OBJECT* pdo, Transfer& transfer, PIO_COMPLETION_ROUTINE routine = nullptr,
          PVOID context = nullptr) {
    IRP* irp = IoBuildDeviceIoControlRequest(IOCTL_INTERNAL_USB_SUBMIT_URB, pdo, nullptr, 0,
                                             nullptr, 0, TRUE, &transfer.done, &transfer.status);
    ASSERT_NE(irp, nullptr);
    IoGetNextIrpStackLocation(irp)->Parameters.Others.Argument1 = &transfer.urb;
    if (routine != nullptr) {
        IoSetCompletionRoutine(irp, routine, context, TRUE, TRUE, TRUE);
    }
    transfer.returned = IoCallDriver(pdo, irp);
}

class BusCompletionTest : public ::testing::Test {
  protected:
    explicit BusCompletionTest(BusCompletion completion = BusCompletion::ImmediateWhenIdle)
        : machine_(MachineOptions{nullptr, completion, 0x600, {}, nullptr}),
          device_(std::make_shared<GatedDevice>()),
          port_(machine_.bus().attach(device_)) {}

    void TearDown() override {
        machine_.bus().detach(port_);
        EXPECT_EQ(machine_.pool().outstanding(), 0u);
        EXPECT_EQ(machine_.outstandingIrps(), 0u);
    }

    std::vector<std::uint8_t> requestsSeen() const {
        std::vector<std::uint8_t> requests;
        for (const auto& seen : device_->seen()) {
            requests.push_back(seen.request);
        }
        return requests;
    }

    Machine machine_;
    std::shared_ptr<GatedDevice> device_;
    UsbPort& port_;
};

TEST_F(BusCompletionTest, AnIdleBusCompletesATransferInTheSendersThread) {
    Transfer transfer(1);
    send(port_.pdo, transfer);
    EXPECT_EQ(transfer.returned, STATUS_SUCCESS);
    EXPECT_NE(KeReadStateEvent(&transfer.done), 0) << "complete when the submission returns";
    EXPECT_EQ(transfer.status.Status, STATUS_SUCCESS);
    ASSERT_EQ(device_->seen().size(), 1u);
    EXPECT_EQ(device_->seen()[0].thread, std::this_thread::get_id());
}

TEST_F(BusCompletionTest, HeldTransfersWaitAndTheBusThreadCompletesThemInOrder) {
    machine_.bus().holdCompletions(true);
    Transfer first(1);
    Transfer second(2);
    send(port_.pdo, first);
    send(port_.pdo, second);
    EXPECT_EQ(first.returned, STATUS_PENDING);
    EXPECT_EQ(second.returned, STATUS_PENDING);
    EXPECT_EQ(machine_.bus().queued(), 2u);
    EXPECT_TRUE(device_->seen().empty());
    machine_.bus().holdCompletions(false);
    first.wait();
    second.wait();
    EXPECT_EQ(first.status.Status, STATUS_SUCCESS);
    EXPECT_EQ(second.status.Status, STATUS_SUCCESS);
    EXPECT_EQ(requestsSeen(), (std::vector<std::uint8_t>{1, 2}));
    for (const auto& seen : device_->seen()) {
        EXPECT_NE(seen.thread, std::this_thread::get_id());
    }
}

TEST_F(BusCompletionTest, ATransferWaitsBehindTheOneTheBusThreadIsCompleting) {
    device_->gate(1);
    machine_.bus().holdCompletions(true);
    Transfer first(1);
    send(port_.pdo, first);
    machine_.bus().holdCompletions(false);
    device_->waitUntilSeen(1);  // the bus thread is inside the first transfer
    Transfer second(2);
    send(port_.pdo, second);
    EXPECT_EQ(second.returned, STATUS_PENDING) << "the bus is not idle";
    device_->open();
    first.wait();
    second.wait();
    EXPECT_EQ(requestsSeen(), (std::vector<std::uint8_t>{1, 2}));
}

// The transfer a completion routine sends, and where.
struct NextTransfer {
    DEVICE_OBJECT* pdo;
    Transfer* transfer;
};

NTSTATUS sendNext(DEVICE_OBJECT*, IRP*, PVOID context) {
    const auto& next = *static_cast<NextTransfer*>(context);
    send(next.pdo, *next.transfer);
    return STATUS_SUCCESS;
}

TEST_F(BusCompletionTest, ATransferSentFromACompletionOnTheBusThreadIsQueuedNotRunInside) {
    machine_.bus().holdCompletions(true);
    Transfer first(1);
    Transfer second(2);
    NextTransfer next{port_.pdo, &second};
    send(port_.pdo, first, sendNext, &next);
    machine_.bus().holdCompletions(false);
    first.wait();
    second.wait();
    EXPECT_EQ(second.returned, STATUS_PENDING);
    EXPECT_EQ(requestsSeen(), (std::vector<std::uint8_t>{1, 2}));
}

class DeferredBusTest : public BusCompletionTest {
  protected:
    DeferredBusTest() : BusCompletionTest(BusCompletion::Deferred) {}
};

TEST_F(DeferredBusTest, EveryTransferCompletesLaterFromTheBusThread) {
    for (std::uint8_t request = 1; request <= 3; ++request) {
        Transfer transfer(request);
        send(port_.pdo, transfer);
        EXPECT_EQ(transfer.returned, STATUS_PENDING);
        transfer.wait();
        EXPECT_EQ(transfer.status.Status, STATUS_SUCCESS);
    }
    ASSERT_EQ(device_->seen().size(), 3u);
    for (const auto& seen : device_->seen()) {
        EXPECT_NE(seen.thread, std::this_thread::get_id());
    }
}

}  // namespace
}  // namespace zo::kernel

#pragma once
// The USB bus driver of the kernel stand-in: one physical device object per plugged-in device,
// and the execution of every URB a function driver sends down, completed either at once in the
// caller's thread or later from the bus thread (as a host controller completes transfers).
// Isochronous URBs run on the bus's (micro)frame clock in the isochronous schedule.

#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "kernel/bus_clock.h"
#include "kernel/isochronous_schedule.h"
#include "kernel/usb_port.h"

namespace zo::kernel {

// When the bus completes the transfers of the control, bulk and interrupt pipes.
enum class BusCompletion {
    // In the caller's thread, before the submission returns; the bus has no thread.
    Immediate,
    // In the caller's thread while the bus is idle: nothing queued, nothing being completed by
    // the bus thread, completions not held. Otherwise the transfer is queued and the bus thread
    // completes it after those before it, so transfers never overtake each other, and a
    // completion routine that sends the next transfer does not run it inside itself.
    ImmediateWhenIdle,
    // Queued, and completed later from the bus thread: the sender always sees STATUS_PENDING and
    // waits, as with a host controller that takes its time.
    Deferred
};

class UsbBus {
  public:
    UsbBus(BusCompletion completion, const CaptureTap& capture, std::shared_ptr<BusClock> clock);
    UsbBus(const UsbBus&) = delete;
    UsbBus& operator=(const UsbBus&) = delete;
    ~UsbBus();

    // Creates the bus driver's object; the machine calls it once the bus is reachable.
    void createDriver();

    // A device is plugged in: a new port and its physical device object.
    UsbPort& attach(std::shared_ptr<usb::UsbDevice> device);
    // The device is pulled out: nothing answers on the port any more, and its isochronous
    // transfers end at once, as a host controller ends them.
    void disconnect(UsbPort& port);
    // The device is gone: transfers in flight end, the physical device object is deleted.
    void detach(UsbPort& port);
    UsbPort* port(int number);
    std::vector<UsbPort*> ports();

    // Executes or queues one URB request (IOCTL_INTERNAL_USB_SUBMIT_URB) for the port.
    NTSTATUS submit(UsbPort& port, IRP* irp, URB* urb);
    // Ends every queued or scheduled transfer of the pipe with USBD_STATUS_CANCELED.
    void cancelPipe(UsbPort& port, USBD_PIPE_HANDLE pipe);
    IsochronousSchedule& isochronous() { return isochronous_; }

    // While held, every control, bulk and interrupt URB waits in the queue (an abort never does,
    // nor does any on an Immediate bus, which has no queue): tests use it to keep requests in
    // flight.
    void holdCompletions(bool hold);
    std::size_t queued() const;
    // Waits (bounded) until at least `count` URBs are queued; false on timeout.
    bool waitUntilQueued(std::size_t count, std::chrono::milliseconds timeout) const;

    // A fresh opaque handle for configurations, interfaces and pipes.
    PVOID newHandle();
    ULONG frameNumber() const;

  private:
    struct Job {
        UsbPort* port;
        IRP* irp;
        URB* urb;
    };
    void run();
    // Whether a transfer submitted now completes in the caller's thread.
    bool completesInCaller() const;
    void enqueue(const Job& job);
    // Moves the queued jobs that `matches` selects out of the queue, in their order.
    template <typename Matches>
    std::list<Job> takeQueued(Matches matches);
    // Both answer the status the request completed with: completion may free the request, so
    // the caller must not read it back afterwards.
    NTSTATUS finish(const Job& job, USBD_STATUS usbStatus);
    NTSTATUS execute(const Job& job);

    BusCompletion completion_;
    const CaptureTap& capture_;
    DRIVER_OBJECT* driver_ = nullptr;
    std::vector<std::unique_ptr<UsbPort>> ports_;
    std::uintptr_t nextHandle_ = 0x1000;
    IsochronousSchedule isochronous_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    // Queued jobs in order, and list nodes of jobs done, kept so that queueing allocates nothing
    // once the queue has been as long as it gets.
    std::list<Job> queue_;
    std::list<Job> spareJobs_;
    bool held_ = false;
    bool busy_ = false;  // the bus thread is completing a job
    bool stopping_ = false;
    std::thread thread_;
};

// The outcome of one URB on the port, without completing anything.
USBD_STATUS executeUrb(UsbBus& bus, UsbPort& port, URB& urb);
NTSTATUS statusForUsbd(USBD_STATUS status);
// Completes the request that carries `urb` with the URB's USB status and the status it maps to,
// which it answers: completion may free the request, so the caller must not read it back.
NTSTATUS completeUrb(IRP* irp, URB& urb, USBD_STATUS usbStatus);
// The transfer buffer of a URB: the virtual address when given, else the MDL's. Null with a
// non-zero length, or an MDL shorter than the length, is refused.
std::optional<std::span<std::uint8_t>> urbTransferBuffer(PVOID buffer, MDL* mdl, ULONG length);

}  // namespace zo::kernel

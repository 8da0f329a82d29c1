#pragma once
// The bus's isochronous schedule. Every isochronous URB the bus accepts is placed into the
// (micro)frames of its pipe on the bus clock: one packet per microframe at high speed (per
// 2^(bInterval-1) microframes), one per frame at full speed. A thread of the schedule runs each
// packet against the device once its (micro)frame has passed and completes the URB after its last
// packet, so a 64-packet transfer at high speed takes 8 ms, as on a real bus.
//
// USBD_START_ISO_TRANSFER_ASAP continues a pipe's stream right behind the transfers already
// scheduled on it, or starts in the next frame when the pipe has run dry. Without it the transfer
// starts in the frame its StartFrame names, which must lie ahead (at most 1024 frames).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "kernel/bus_clock.h"
#include "kernel/usb_port.h"

namespace zo::kernel {

class IsochronousSchedule {
  public:
    explicit IsochronousSchedule(std::shared_ptr<BusClock> clock);
    IsochronousSchedule(const IsochronousSchedule&) = delete;
    IsochronousSchedule& operator=(const IsochronousSchedule&) = delete;
    // Transfers still scheduled end as cancelled.
    ~IsochronousSchedule();

    // Takes one URB_FUNCTION_ISOCH_TRANSFER request and answers STATUS_PENDING. A URB the bus
    // refuses is completed too, with its reason, from the schedule's thread: a driver that sends
    // again from its completion routine never recurses.
    NTSTATUS submit(UsbPort& port, IRP* irp, URB& urb);
    // Ends every scheduled transfer of the port (of one of its pipes, when given) with `status`:
    // packets not yet run get it too. A transfer whose packets are being run is waited for.
    void cancel(UsbPort& port, std::optional<USBD_PIPE_HANDLE> pipe, USBD_STATUS status);

    // The (micro)frame clock's frame number: 1 in the first millisecond, then one more each.
    ULONG frameNumber() const;
    std::size_t scheduled() const;
    // Bounded waits for tests: until `count` transfers are scheduled; until every packet whose
    // (micro)frame has passed has run and its transfer, if finished, is completed.
    bool waitUntilScheduled(std::size_t count, std::chrono::milliseconds timeout) const;
    bool waitUntilCaughtUp(std::chrono::milliseconds timeout) const;

  private:
    struct Transfer {
        UsbPort* port;
        IRP* irp;
        URB* urb;
        PipeState pipe;
        // The capture in use at submission: the completion is recorded in the same file.
        std::shared_ptr<UsbmonCapture> capture;
        std::uint64_t start = 0;   // ns: the beginning of the first packet's (micro)frame
        std::uint64_t period = 0;  // ns from one packet to the next
        ULONG done = 0;            // packets run
        USBD_STATUS ending = USBD_STATUS_SUCCESS;  // an error ends the transfer with it
        bool placed = false;                       // accepted into the pipe's frames
        bool descriptorsUsable = false;            // the bus may write the packets' outcome
        bool running = false;                      // its packets are being run outside the lock
        std::uint64_t due() const;                 // when its next packet may run
        std::uint64_t end() const;                 // when its last packet's (micro)frame ends
    };

    USBD_STATUS place(Transfer& transfer, std::uint64_t now);
    void run();
    std::uint64_t nextDue() const;
    // Runs the packets of a transfer whose (micro)frames have passed; lock not held.
    void runPackets(Transfer& transfer, std::uint64_t now);
    void complete(Transfer& transfer);
    bool caughtUp(std::uint64_t now) const;

    std::shared_ptr<BusClock> clock_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::list<Transfer> transfers_;  // in the order they were placed
    // Per port and endpoint: the moment the last placed packet's (micro)frame ends.
    std::map<std::pair<UsbPort*, UCHAR>, std::uint64_t> pipeEnds_;
    std::size_t completing_ = 0;  // transfers taken out of the list and not yet completed
    // The bus time of the completion the schedule's thread is running. A transfer sent again from
    // a completion routine is placed as of then, however late the thread runs (a test that moves
    // the clock far at once, a loaded machine): the stream goes on without a gap, as on a bus.
    std::uint64_t completionTime_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace zo::kernel

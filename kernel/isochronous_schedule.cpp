#include "kernel/isochronous_schedule.h"

#include <algorithm>

#include "kernel/isochronous_urb.h"
#include "kernel/usb_bus.h"

namespace zo::kernel {

namespace {

constexpr ULONG kMaxFramesAhead = 1024;
constexpr std::uint64_t kNotDue = UINT64_MAX;

std::uint64_t frameUnit(UsbPort& port) {
    return port.device().speed() == usb::Speed::High ? kMicroframeNanoseconds : kFrameNanoseconds;
}

std::uint64_t packetPeriod(UsbPort& port, const PipeState& pipe) {
    if (port.device().speed() != usb::Speed::High) {
        return kFrameNanoseconds;
    }
    const ULONG interval = std::clamp<ULONG>(pipe.interval, 1, 16);
    return kMicroframeNanoseconds << (interval - 1);
}

std::uint64_t nextFrameStart(std::uint64_t now) {
    return (now / kFrameNanoseconds + 1) * kFrameNanoseconds;
}

ULONG frameOf(std::uint64_t moment) {
    return static_cast<ULONG>(moment / kFrameNanoseconds + 1);
}

}  // namespace

std::uint64_t IsochronousSchedule::Transfer::due() const {
    if (USBD_ERROR(ending) || done == urb->UrbIsochronousTransfer.NumberOfPackets) {
        return 0;
    }
    return start + (done + 1) * period;
}

std::uint64_t IsochronousSchedule::Transfer::end() const {
    return start + urb->UrbIsochronousTransfer.NumberOfPackets * period;
}

IsochronousSchedule::IsochronousSchedule(std::shared_ptr<BusClock> clock)
    : clock_(std::move(clock)) {
    clock_->setListener([this] {
        std::lock_guard lock(mutex_);
        changed_.notify_all();
    });
}

IsochronousSchedule::~IsochronousSchedule() {
    clock_->setListener({});
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (Transfer& transfer : transfers_) {
            if (!USBD_ERROR(transfer.ending)) {
                transfer.ending = USBD_STATUS_CANCELED;
            }
        }
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

ULONG IsochronousSchedule::frameNumber() const {
    return frameOf(clock_->nanoseconds());
}

NTSTATUS IsochronousSchedule::submit(UsbPort& port, IRP* irp, URB& urb) {
    Transfer transfer{&port, irp, &urb, {}, port.capture()};
    const IsochronousCheck check = port.connected()
                                       ? checkIsochronousUrb(port, urb, transfer.pipe)
                                       : IsochronousCheck{USBD_STATUS_DEVICE_GONE, false, {}};
    transfer.ending = check.status;
    transfer.descriptorsUsable = check.descriptorsUsable;
    IoMarkIrpPending(irp);
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            transfer.ending = USBD_STATUS_CANCELED;
        } else if (!USBD_ERROR(transfer.ending)) {
            const bool fromCompletion = std::this_thread::get_id() == thread_.get_id();
            transfer.ending =
                place(transfer, fromCompletion ? completionTime_ : clock_->nanoseconds());
            transfer.placed = !USBD_ERROR(transfer.ending);
        }
        const char kind = transfer.placed ? 'S' : 'E';
        if (!transfer.placed) {
            urb.UrbHeader.Status = transfer.ending;
        }
        const auto packets =
            transfer.placed ? usbmonPackets(urb, kind) : std::vector<UsbmonIsoPacket>{};
        port.record(transfer.capture.get(),
                    usbmonIsochronousEvent(kind, transfer.pipe, urb, check.buffer, packets));
        transfers_.push_back(transfer);
        // The schedule's thread starts with the first transfer: a machine that never streams
        // runs no thread for it, and a process that forks before then forks with one thread less.
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { run(); });
        }
    }
    changed_.notify_all();
    return STATUS_PENDING;
}

USBD_STATUS IsochronousSchedule::place(Transfer& transfer, std::uint64_t now) {
    auto& request = transfer.urb->UrbIsochronousTransfer;
    transfer.period = packetPeriod(*transfer.port, transfer.pipe);
    const auto key = std::make_pair(transfer.port, transfer.pipe.endpoint);
    const auto end = pipeEnds_.find(key);
    // The pipe streams on while its last placed packet's (micro)frame lies ahead.
    const std::uint64_t pipeFree = end != pipeEnds_.end() && end->second > now ? end->second : 0;
    if ((request.TransferFlags & USBD_START_ISO_TRANSFER_ASAP) != 0) {
        transfer.start = pipeFree != 0 ? pipeFree : nextFrameStart(now);
    } else {
        const std::uint64_t start =
            static_cast<std::uint64_t>(request.StartFrame == 0 ? 0 : request.StartFrame - 1) *
            kFrameNanoseconds;
        if (start < nextFrameStart(now) || start < pipeFree ||
            request.StartFrame > frameOf(now) + kMaxFramesAhead) {
            return USBD_STATUS_BAD_START_FRAME;
        }
        transfer.start = start;
    }
    request.StartFrame = frameOf(transfer.start);
    pipeEnds_[key] = transfer.start + request.NumberOfPackets * transfer.period;
    return USBD_STATUS_SUCCESS;
}

void IsochronousSchedule::cancel(UsbPort& port, std::optional<USBD_PIPE_HANDLE> pipe,
                                 USBD_STATUS status) {
    const auto matches = [&](const Transfer& transfer) {
        return transfer.port == &port && (!pipe || transfer.pipe.handle == *pipe);
    };
    std::optional<UCHAR> endpoint;
    if (pipe) {
        std::lock_guard lock(port.mutex());
        if (const auto found = port.findPipe(*pipe)) {
            endpoint = found->endpoint;
        }
    }
    std::list<Transfer> ended;
    {
        std::unique_lock lock(mutex_);
        // A transfer whose packets run is left to finish them, unless this is the schedule's own
        // thread (a completion routine that cancels), which is not running any.
        if (std::this_thread::get_id() != thread_.get_id()) {
            changed_.wait(lock, [&] {
                return std::none_of(transfers_.begin(), transfers_.end(),
                                    [&](const auto& t) { return t.running && matches(t); });
            });
        }
        for (auto it = transfers_.begin(); it != transfers_.end();) {
            const auto next = std::next(it);
            if (matches(*it) && !it->running) {
                if (!USBD_ERROR(it->ending)) {
                    it->ending = status;
                }
                ended.splice(ended.end(), transfers_, it);
            }
            it = next;
        }
        // The pipe's stream is broken off: its next transfer starts afresh.
        std::erase_if(pipeEnds_, [&](const auto& entry) {
            return entry.first.first == &port && (!pipe || entry.first.second == endpoint);
        });
        completing_ += ended.size();
    }
    for (Transfer& transfer : ended) {
        complete(transfer);
    }
    {
        std::lock_guard lock(mutex_);
        completing_ -= ended.size();
    }
    changed_.notify_all();
}

std::uint64_t IsochronousSchedule::nextDue() const {
    std::uint64_t due = kNotDue;
    for (const Transfer& transfer : transfers_) {
        if (!transfer.running) {
            due = std::min(due, transfer.due());
        }
    }
    return due;
}

void IsochronousSchedule::run() {
    std::unique_lock lock(mutex_);
    while (!(stopping_ && transfers_.empty())) {
        const std::uint64_t now = clock_->nanoseconds();
        const auto ready = std::min_element(
            transfers_.begin(), transfers_.end(), [](const Transfer& a, const Transfer& b) {
                return (a.running ? kNotDue : a.due()) < (b.running ? kNotDue : b.due());
            });
        if (ready == transfers_.end() || ready->running || ready->due() > now) {
            const std::uint64_t due = nextDue();
            const auto real = due == kNotDue ? std::nullopt : clock_->realTimeOf(due);
            if (real) {
                changed_.wait_until(lock, *real);
            } else {
                changed_.wait(lock);
            }
            continue;
        }
        if (ready->due() == 0) {
            completionTime_ = USBD_ERROR(ready->ending) ? now : ready->end();
            std::list<Transfer> ended;
            ended.splice(ended.end(), transfers_, ready);
            ++completing_;
            lock.unlock();
            complete(ended.front());
            lock.lock();
            --completing_;
        } else {
            ready->running = true;
            lock.unlock();
            runPackets(*ready, now);
            lock.lock();
            ready->running = false;
        }
        changed_.notify_all();
    }
}

void IsochronousSchedule::runPackets(Transfer& transfer, std::uint64_t now) {
    UsbPort& port = *transfer.port;
    URB& urb = *transfer.urb;
    {
        std::lock_guard lock(port.mutex());
        if (!port.findPipe(transfer.pipe.handle)) {
            transfer.ending = USBD_STATUS_INVALID_PIPE_HANDLE;  // the configuration changed
            return;
        }
    }
    auto& request = urb.UrbIsochronousTransfer;
    const auto buffer = urbTransferBuffer(request.TransferBuffer, request.TransferBufferMDL,
                                          request.TransferBufferLength);
    const bool in = (transfer.pipe.endpoint & 0x80) != 0;
    const ULONG room = isochronousPacketRoom(transfer.pipe);
    const std::uint64_t unit = frameUnit(port);
    while (transfer.due() != 0 && transfer.due() <= now) {
        if (!port.connected()) {
            transfer.ending = USBD_STATUS_DEVICE_GONE;
            return;
        }
        const ULONG index = transfer.done;
        std::span<std::uint8_t> data = isochronousPacket(urb, *buffer, index);
        if (in) {
            data = data.first(std::min<std::size_t>(data.size(), room));
        }
        const std::uint64_t frame = (transfer.start + index * transfer.period) / unit;
        const usb::TransferResult result = port.isochronousPacket(transfer.pipe, frame, data);
        USBD_ISO_PACKET_DESCRIPTOR& packet = request.IsoPacket[index];
        packet.Status = packetStatus(result);
        if (in) {
            packet.Length = result.status == usb::TransferStatus::Ok
                                ? std::min<ULONG>(result.bytes, static_cast<ULONG>(data.size()))
                                : 0;
        }
        ++transfer.done;
    }
}

void IsochronousSchedule::complete(Transfer& transfer) {
    URB& urb = *transfer.urb;
    auto& request = urb.UrbIsochronousTransfer;
    // A URB refused before its descriptors were found sound ends without touching them.
    const USBD_STATUS status = transfer.descriptorsUsable
                                   ? closeIsochronousUrb(urb, transfer.done, transfer.ending)
                                   : transfer.ending;
    urb.UrbHeader.Status = status;
    if (transfer.placed) {
        const auto buffer = urbTransferBuffer(request.TransferBuffer, request.TransferBufferMDL,
                                              request.TransferBufferLength);
        const auto packets = usbmonPackets(urb, 'C');
        transfer.port->record(
            transfer.capture.get(),
            usbmonIsochronousEvent('C', transfer.pipe, urb,
                                   buffer.value_or(std::span<std::uint8_t>{}), packets));
    }
    completeUrb(transfer.irp, urb, status);
}

std::size_t IsochronousSchedule::scheduled() const {
    std::lock_guard lock(mutex_);
    return transfers_.size();
}

bool IsochronousSchedule::waitUntilScheduled(std::size_t count,
                                             std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return transfers_.size() >= count; });
}

bool IsochronousSchedule::caughtUp(std::uint64_t now) const {
    return completing_ == 0 &&
           std::none_of(transfers_.begin(), transfers_.end(), [&](const Transfer& transfer) {
               return transfer.running || transfer.due() <= now;
           });
}

bool IsochronousSchedule::waitUntilCaughtUp(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return caughtUp(clock_->nanoseconds()); });
}

}  // namespace zo::kernel

#include "hub/signal_stream.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "hub/signal_packet.h"

namespace zo::hub {

namespace {

constexpr std::uint16_t kHighSpeedPeriodTicks = 25;   // 500 ns: 250 samples per microframe
constexpr std::uint16_t kFullSpeedPeriodTicks = 125;  // 2.5 us: 400 samples per frame
// The header goes onto the wire as it lies in memory.
static_assert(std::endian::native == std::endian::little);

}  // namespace

SignalStream::SignalStream(zo::usb::Speed speed)
    : periodTicks_(speed == zo::usb::Speed::High ? kHighSpeedPeriodTicks : kFullSpeedPeriodTicks),
      capacity_(kBacklogNanoseconds / (periodTicks_ * kTickNanoseconds)) {}

void SignalStream::advance(SequencerBank& bank, std::uint64_t nanoseconds) {
    if (streaming_ && nanoseconds > lastPacket_ + kIdleNanoseconds) {
        stop();  // nobody asks any more: the samples would only be thrown away
    }
    while (streaming_ && nextSampleTick_ * kTickNanoseconds <= nanoseconds) {
        bank.advanceTo(nextSampleTick_ * kTickNanoseconds);
        if (samples_.size() == capacity_) {
            samples_.pop_front();
            firstTick_ += periodTicks_;
            lost_ = true;
        }
        if (samples_.empty()) {
            firstTick_ = nextSampleTick_;
        }
        samples_.push_back(bank.signalLevels());
        nextSampleTick_ += periodTicks_;
    }
    bank.advanceTo(nanoseconds);
}

void SignalStream::start(std::uint64_t nanoseconds) {
    streaming_ = true;
    sequence_ = 0;
    lost_ = false;
    samples_.clear();
    // The bank has run the tick of the present moment: the first sample is the next one due.
    nextSampleTick_ = (nanoseconds / kTickNanoseconds / periodTicks_ + 1) * periodTicks_;
    firstTick_ = nextSampleTick_;
}

void SignalStream::stop() {
    streaming_ = false;
    samples_.clear();
}

std::size_t SignalStream::packet(std::uint64_t nanoseconds, std::uint64_t frame,
                                 std::span<std::uint8_t> data) {
    if (!streaming_) {
        start(nanoseconds);
    }
    lastPacket_ = nanoseconds;
    if (data.size() < kSignalPacketHeaderSize) {
        return 0;
    }
    const std::size_t room = (data.size() - kSignalPacketHeaderSize) / kSignalSampleSize;
    const auto count =
        static_cast<std::uint16_t>(std::min<std::size_t>({room, samples_.size(), UINT16_MAX}));
    const SignalPacketHeader header{kSignalPacketFormat,
                                    kSignalPacketHeaderSize,
                                    count,
                                    sequence_++,
                                    static_cast<std::uint32_t>(frame),
                                    periodTicks_,
                                    static_cast<std::uint8_t>(lost_ ? kSignalPacketGap : 0),
                                    kSignalCount,
                                    firstTick_};
    std::memcpy(data.data(), &header, sizeof header);
    std::uint8_t* sample = data.data() + kSignalPacketHeaderSize;
    for (std::uint16_t index = 0; index < count; ++index) {
        const std::uint16_t levels = samples_.front();
        samples_.pop_front();
        sample[0] = static_cast<std::uint8_t>(levels & 0xFF);
        sample[1] = static_cast<std::uint8_t>(levels >> 8);
        sample += kSignalSampleSize;
    }
    firstTick_ += static_cast<std::uint64_t>(count) * periodTicks_;
    lost_ = false;
    return kSignalPacketHeaderSize + count * kSignalSampleSize;
}

}  // namespace zo::hub

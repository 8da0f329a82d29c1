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

SignalStream::SignalStream(SequencerBank& bank, zo::usb::Speed speed)
    : bank_(bank),
      periodTicks_(speed == zo::usb::Speed::High ? kHighSpeedPeriodTicks : kFullSpeedPeriodTicks),
      capacity_(kBacklogNanoseconds / (periodTicks_ * kTickNanoseconds)) {}

SignalStream::~SignalStream() {
    stop();
}

void SignalStream::advance(std::uint64_t nanoseconds) {
    if (streaming_ && nanoseconds > lastPacket_ + kIdleNanoseconds) {
        stop();  // nobody asks any more: the samples would only be thrown away
    }
    bank_.advanceTo(nanoseconds);
    if (streaming_) {
        sampleUntil(nanoseconds / kTickNanoseconds + 1);
    }
}

void SignalStream::outputsChanged(std::uint64_t nanoseconds, std::uint8_t outputs) {
    // The new levels hold from the first tick at or after the moment: a sample on that tick
    // shows them, as a recording shows them from then on.
    sampleUntil((nanoseconds + kTickNanoseconds - 1) / kTickNanoseconds);
    outputs_ = outputs;
}

void SignalStream::sampleUntil(std::uint64_t endTick) {
    while (nextSampleTick_ < endTick) {
        keep(static_cast<std::uint16_t>(outputs_ | bank_.inputLevels(nextSampleTick_)));
    }
}

void SignalStream::keep(std::uint16_t levels) {
    if (samples_.size() == capacity_) {
        samples_.pop_front();
        firstTick_ += periodTicks_;
        lost_ = true;
    }
    if (samples_.empty()) {
        firstTick_ = nextSampleTick_;
    }
    samples_.push_back(levels);
    nextSampleTick_ += periodTicks_;
}

void SignalStream::start(std::uint64_t nanoseconds) {
    streaming_ = true;
    outputs_ = bank_.outputs();
    bank_.observeOutputs(this);
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
    bank_.observeOutputs(nullptr);
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

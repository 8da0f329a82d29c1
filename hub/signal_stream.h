#pragma once
// The hub as a logic analyser: the packets of its isochronous endpoint 0x88. While a host polls
// the endpoint, the hub samples its ten signals (outputs 0..7, inputs A and B) at a fixed period
// from the same sequencer simulation that drives the outputs, watching the outputs change as a
// recording does, keeps the samples nobody has collected yet, and hands them out in order, each
// packet saying which tick its first sample is from. A stream starts with the first packet asked
// for and stops when no packet has been asked for during kIdleNanoseconds. See hub/README.md,
// "Streaming".

#include <cstdint>
#include <deque>
#include <span>

#include "hub/sequencer_bank.h"
#include "kernel/usb_device.h"

namespace zo::hub {

class SignalStream final : private OutputObserver {
  public:
    // The samples kept for a host that lags, and the pause after which sampling stops.
    static constexpr std::uint64_t kBacklogNanoseconds = 64'000'000;
    static constexpr std::uint64_t kIdleNanoseconds = 64'000'000;

    SignalStream(SequencerBank& bank, zo::usb::Speed speed);
    ~SignalStream();
    SignalStream(const SignalStream&) = delete;
    SignalStream& operator=(const SignalStream&) = delete;

    // 500 ns (2 MHz) at high speed, 2.5 us (400 kHz) at full speed: one (micro)frame's samples
    // fill about half a packet, so a late host catches up.
    std::uint16_t periodTicks() const { return periodTicks_; }

    // Simulates the bank up to `nanoseconds`, taking every sample on the way while streaming.
    void advance(std::uint64_t nanoseconds);
    // The packet for bus (micro)frame `frame` at the present moment `nanoseconds` (the bank has
    // been advanced to it): the header and as many waiting samples as fit. Answers its length, 0
    // when not even the header fits.
    std::size_t packet(std::uint64_t nanoseconds, std::uint64_t frame,
                       std::span<std::uint8_t> data);
    // Unconfigured or reset: the stream ends.
    void stop();

  private:
    void outputsChanged(std::uint64_t nanoseconds, std::uint8_t outputs) override;
    void start(std::uint64_t nanoseconds);
    // Takes the samples of every tick before `endTick` not taken yet, with the present outputs.
    void sampleUntil(std::uint64_t endTick);
    // Adds the sample of nextSampleTick_, dropping the oldest when the backlog is full.
    void keep(std::uint16_t levels);

    SequencerBank& bank_;
    std::uint16_t periodTicks_;
    std::size_t capacity_;  // samples kept at most
    bool streaming_ = false;
    std::uint8_t outputs_ = 0;          // the outputs as the bank last told them
    std::uint64_t lastPacket_ = 0;      // ns of the last packet asked for
    std::uint64_t nextSampleTick_ = 0;  // the tick of the next sample to take
    std::uint64_t firstTick_ = 0;       // the tick of samples_.front()
    std::deque<std::uint16_t> samples_;
    std::uint32_t sequence_ = 0;
    bool lost_ = false;  // samples were dropped since the last packet
};

}  // namespace zo::hub

#include "tools/zousbdiag/signal_trace.h"

#include <array>
#include <string>

#include "hub/input_signal.h"
#include "hub/signal_packet.h"

namespace zousbdiag {

namespace {

using zo::hub::kTickNanoseconds;
constexpr std::uint8_t kSignals = zo::hub::kSignalCount;

bool bit(std::uint16_t levels, std::uint8_t wire) {
    return ((levels >> wire) & 1) != 0;
}

}  // namespace

void SignalTrace::add(const ReceivedPacket& packet) {
    if (packet.status != 0) {
        ++counts_.failed;
        return;
    }
    ++counts_.received;
    if (packet.data.empty()) {
        return;  // the hub had nothing to say in this (micro)frame
    }
    const std::optional<SignalPacket> signals = readSignalPacket(packet.data);
    if (!signals) {
        ++counts_.unreadable;
        return;
    }
    // A sequence number lower than expected is a stream the hub started afresh.
    if (nextSequence_ && signals->sequence > *nextSequence_) {
        counts_.lost += signals->sequence - *nextSequence_;
    }
    nextSequence_ = signals->sequence + 1;
    addSamples(*signals);
}

void SignalTrace::addSamples(const SignalPacket& packet) {
    if (packet.samples.empty()) {
        return;
    }
    if (!writer_) {
        originTick_ = packet.firstTick;
        nextTick_ = packet.firstTick;
        levels_ = packet.samples.front();
        std::array<bool, zo::hub::kWaveformWireCount> initial{};
        for (std::uint8_t wire = 0; wire < kSignals; ++wire) {
            initial[wire] = bit(levels_, wire);
        }
        const std::string comment = "stream of the hub's signals from tick " +
                                    std::to_string(originTick_) + " (" +
                                    std::to_string(originTick_ * kTickNanoseconds) +
                                    " ns after its power-on), a sample every " +
                                    std::to_string(packet.periodTicks * kTickNanoseconds) + " ns";
        writer_.emplace(vcd_, initial, comment);
    }
    if (packet.firstTick > nextTick_) {
        counts_.samplesLost += (packet.firstTick - nextTick_) / packet.periodTicks;
        for (std::uint8_t wire = 0; wire < kSignals; ++wire) {
            writer_->change(timeOf(nextTick_), wire, 'x');
        }
        known_ = false;
    }
    for (std::size_t index = 0; index < packet.samples.size(); ++index) {
        const std::uint64_t tick = packet.firstTick + index * packet.periodTicks;
        if (tick < nextTick_) {
            continue;  // a restarted stream repeats moments already written
        }
        const std::uint16_t levels = packet.samples[index];
        for (std::uint8_t wire = 0; wire < kSignals; ++wire) {
            if (!known_ || bit(levels, wire) != bit(levels_, wire)) {
                writer_->change(timeOf(tick), wire, bit(levels, wire) ? '1' : '0');
            }
        }
        levels_ = levels;
        known_ = true;
        nextTick_ = tick + packet.periodTicks;
        ++counts_.samples;
    }
}

void SignalTrace::finish() {
    if (!writer_) {
        writer_.emplace(vcd_, std::array<bool, zo::hub::kWaveformWireCount>{}, "no sample arrived");
    }
    writer_->finish(timeOf(nextTick_));
}

std::optional<std::uint64_t> SignalTrace::originTick() const {
    return counts_.samples > 0 ? std::optional(originTick_) : std::nullopt;
}

std::uint64_t SignalTrace::timeOf(std::uint64_t tick) const {
    return (tick - originTick_) * kTickNanoseconds;
}

}  // namespace zousbdiag

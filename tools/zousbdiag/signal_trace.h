#pragma once
// Follows the hub's signal packets of one stream in the order they arrive: counts what came and
// what was lost on the way, and writes the ten signals into a VCD as they change. Time 0 of the
// VCD is the first sample; a stretch whose samples were lost shows every signal unknown ('x').

#include <cstdint>
#include <optional>
#include <ostream>

#include "hub/vcd_writer.h"
#include "tools/zousbdiag/isochronous_pipe.h"
#include "tools/zousbdiag/signal_packet_reader.h"

namespace zousbdiag {

class SignalTrace {
  public:
    struct Counts {
        std::uint64_t received = 0;    // packets that arrived
        std::uint64_t failed = 0;      // packets the USB stack reported failed
        std::uint64_t lost = 0;        // packets that never arrived: gaps in the sequence numbers
        std::uint64_t unreadable = 0;  // arrived, but not packets of the hub's format
        std::uint64_t samples = 0;
        std::uint64_t samplesLost = 0;  // between the samples that arrived
    };

    explicit SignalTrace(std::ostream& vcd) : vcd_(vcd) {}

    void add(const ReceivedPacket& packet);
    // Ends the VCD behind the last sample.
    void finish();

    const Counts& counts() const { return counts_; }
    // The tick (20 ns since the hub's power-on) of the VCD's time 0, once a sample arrived.
    std::optional<std::uint64_t> originTick() const;

  private:
    void addSamples(const SignalPacket& packet);
    std::uint64_t timeOf(std::uint64_t tick) const;

    std::ostream& vcd_;
    std::optional<zo::hub::VcdWriter> writer_;
    Counts counts_;
    std::optional<std::uint32_t> nextSequence_;
    std::uint64_t originTick_ = 0;
    std::uint64_t nextTick_ = 0;  // the tick of the sample expected next
    std::uint16_t levels_ = 0;
    bool known_ = true;  // false from a gap until the next sample
};

}  // namespace zousbdiag

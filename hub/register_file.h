#pragma once
// The hub's 256 eight-bit registers. A write stores the value and, for a loading register or one
// of the two enable registers (0x40, 0x41), feeds the sequencers; a read returns the stored value
// except for the registers whose reads show sequencer state (32, 33: measurement result; 0x41:
// measurement finished in bit 0).

#include <array>
#include <cstdint>

#include "hub/register_map.h"
#include "hub/sequencer_bank.h"

namespace zo::hub {

class RegisterFile {
  public:
    RegisterFile() = default;
    RegisterFile(double inputAHz, double inputBHz) : sequencers_(inputAHz, inputBHz) {}

    void write(std::uint8_t reg, std::uint8_t value);
    std::uint8_t read(std::uint8_t reg) const;

    // Every register 0, every sequencer memory cleared (power-on and port reset).
    void reset();
    // The reset request: every register 0 and every sequencer stopped, while the programs
    // loaded stay, so a host that reloads only what changed finds the rest still there.
    void resetKeepingPrograms();

    const SequencerBank& sequencers() const { return sequencers_; }
    SequencerBank& sequencers() { return sequencers_; }

  private:
    std::array<std::uint8_t, kRegisterCount> values_{};
    SequencerBank sequencers_;
};

}  // namespace zo::hub

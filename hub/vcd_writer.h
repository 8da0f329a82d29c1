#pragma once
// Writes a Value Change Dump (IEEE 1364 VCD): one wire per channel output and per input
// (out0..out7, inA, inB), timescale 1 ns, time 0 at the start of the stretch. GTKWave, PulseView
// and sigrok-cli read it. A whole recording at once (writeVcd), or change by change as the levels
// arrive (VcdWriter), for a stream of unknown length.

#include <array>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string_view>

#include "hub/waveform.h"

namespace zo::hub {

class VcdWriter {
  public:
    // Writes the declarations, `comment` when there is one, and the levels at time 0.
    VcdWriter(std::ostream& out, const std::array<bool, kWaveformWireCount>& initialLevels,
              std::string_view comment = {});

    // `value` '0', '1', or 'x' (unknown) from `time` ns on; times never decrease.
    void change(std::uint64_t time, std::uint8_t wire, char value);
    // The closing time stamp: viewers show the whole stretch, quiet end included.
    void finish(std::uint64_t length);

  private:
    std::ostream& out_;
    std::uint64_t time_ = 0;  // the time stamp written last
};

void writeVcd(std::ostream& out, const Waveform& waveform);
// False when the file cannot be written.
bool writeVcdFile(const std::filesystem::path& path, const Waveform& waveform);

}  // namespace zo::hub

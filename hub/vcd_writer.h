#pragma once
// Writes a Waveform as a Value Change Dump (IEEE 1364 VCD): one wire per channel output and per
// input, timescale 1 ns, time 0 at the start of the recording. GTKWave, PulseView and sigrok-cli
// read it.

#include <filesystem>
#include <ostream>

#include "hub/waveform.h"

namespace zo::hub {

void writeVcd(std::ostream& out, const Waveform& waveform);
// False when the file cannot be written.
bool writeVcdFile(const std::filesystem::path& path, const Waveform& waveform);

}  // namespace zo::hub

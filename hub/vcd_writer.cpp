#include "hub/vcd_writer.h"

#include <fstream>

namespace zo::hub {
namespace {

// One printable identifier character per wire.
char identifier(std::uint8_t wire) {
    return static_cast<char>('!' + wire);
}

void writeChange(std::ostream& out, std::uint8_t wire, bool level) {
    out << (level ? '1' : '0') << identifier(wire) << '\n';
}

}  // namespace

void writeVcd(std::ostream& out, const Waveform& waveform) {
    out << "$date simulated $end\n"
        << "$version Kestrava Quintel simulated hub $end\n"
        << "$timescale 1 ns $end\n"
        << "$scope module hub $end\n";
    for (std::uint8_t wire = 0; wire < kWaveformWireCount; ++wire) {
        out << "$var wire 1 " << identifier(wire) << ' ' << wireName(wire) << " $end\n";
    }
    out << "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
    for (std::uint8_t wire = 0; wire < kWaveformWireCount; ++wire) {
        writeChange(out, wire, waveform.initialLevels[wire]);
    }
    out << "$end\n";
    std::uint64_t time = 0;  // the time stamp written last
    for (const WaveformTransition& transition : waveform.transitions) {
        const std::uint64_t relative = transition.nanoseconds - waveform.startNanoseconds;
        if (relative != time) {
            out << '#' << relative << '\n';
            time = relative;
        }
        writeChange(out, transition.wire, transition.level);
    }
    // A closing time stamp makes the viewers show the whole stretch, quiet end included.
    const std::uint64_t length = waveform.endNanoseconds - waveform.startNanoseconds;
    if (length > time) {
        out << '#' << length << '\n';
    }
}

bool writeVcdFile(const std::filesystem::path& path, const Waveform& waveform) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        return false;
    }
    writeVcd(file, waveform);
    file.flush();
    return static_cast<bool>(file);
}

}  // namespace zo::hub

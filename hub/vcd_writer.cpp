#include "hub/vcd_writer.h"

#include <fstream>

namespace zo::hub {
namespace {

// One printable identifier character per wire.
char identifier(std::uint8_t wire) {
    return static_cast<char>('!' + wire);
}

char levelValue(bool level) {
    return level ? '1' : '0';
}

}  // namespace

VcdWriter::VcdWriter(std::ostream& out, const std::array<bool, kWaveformWireCount>& initialLevels,
                     std::string_view comment)
    : out_(out) {
    out_ << "$date simulated $end\n"
         << "$version Kestrava Quintel simulated hub $end\n";
    if (!comment.empty()) {
        out_ << "$comment " << comment << " $end\n";
    }
    out_ << "$timescale 1 ns $end\n"
         << "$scope module hub $end\n";
    for (std::uint8_t wire = 0; wire < kWaveformWireCount; ++wire) {
        out_ << "$var wire 1 " << identifier(wire) << ' ' << wireName(wire) << " $end\n";
    }
    out_ << "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
    for (std::uint8_t wire = 0; wire < kWaveformWireCount; ++wire) {
        out_ << levelValue(initialLevels[wire]) << identifier(wire) << '\n';
    }
    out_ << "$end\n";
}

void VcdWriter::change(std::uint64_t time, std::uint8_t wire, char value) {
    if (time != time_) {
        out_ << '#' << time << '\n';
        time_ = time;
    }
    out_ << value << identifier(wire) << '\n';
}

void VcdWriter::finish(std::uint64_t length) {
    if (length > time_) {
        out_ << '#' << length << '\n';
        time_ = length;
    }
}

void writeVcd(std::ostream& out, const Waveform& waveform) {
    VcdWriter writer(out, waveform.initialLevels);
    for (const WaveformTransition& transition : waveform.transitions) {
        writer.change(transition.nanoseconds - waveform.startNanoseconds, transition.wire,
                      levelValue(transition.level));
    }
    writer.finish(waveform.endNanoseconds - waveform.startNanoseconds);
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

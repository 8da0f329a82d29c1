#include "hub/vcd_writer.h"

#include <array>
#include <charconv>
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

// Text on its way to a stream, written out in large blocks.
class TextBuffer {
  public:
    explicit TextBuffer(std::ostream& out) : out_(out) {}
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;
    ~TextBuffer() { flush(); }

    // "#<time>\n"
    void timeStamp(std::uint64_t time) {
        makeRoom(kLongestLine);
        buffer_[used_++] = '#';
        used_ = static_cast<std::size_t>(
            std::to_chars(buffer_.data() + used_, buffer_.data() + buffer_.size(), time).ptr -
            buffer_.data());
        buffer_[used_++] = '\n';
    }
    // "<value><identifier>\n"
    void change(char value, char id) {
        makeRoom(3);
        buffer_[used_] = value;
        buffer_[used_ + 1] = id;
        buffer_[used_ + 2] = '\n';
        used_ += 3;
    }

  private:
    static constexpr std::size_t kLongestLine = 22;  // '#', 20 digits, '\n'

    void makeRoom(std::size_t bytes) {
        if (buffer_.size() - used_ < bytes) {
            flush();
        }
    }
    void flush() {
        out_.write(buffer_.data(), static_cast<std::streamsize>(used_));
        used_ = 0;
    }

    std::ostream& out_;
    std::array<char, 1 << 16> buffer_{};
    std::size_t used_ = 0;
};

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
    const VcdWriter header(out, waveform.initialLevels);
    // Millions of changes: formatted into a buffer of our own, not through the stream's
    // operators one by one.
    TextBuffer text(out);
    std::uint64_t time = 0;  // the time stamp written last
    for (const WaveformTransition& transition : waveform.transitions) {
        const std::uint64_t relative = transition.nanoseconds - waveform.startNanoseconds;
        if (relative != time) {
            text.timeStamp(relative);
            time = relative;
        }
        text.change(levelValue(transition.level), identifier(transition.wire));
    }
    // A closing time stamp makes the viewers show the whole stretch, quiet end included.
    const std::uint64_t length = waveform.endNanoseconds - waveform.startNanoseconds;
    if (length > time) {
        text.timeStamp(length);
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

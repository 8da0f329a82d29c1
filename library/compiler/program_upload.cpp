#include "library/compiler/program_upload.h"

namespace zo::quinteldrv {

namespace {
constexpr std::uint8_t kOutputsOff = 0x40;
constexpr std::uint8_t kMeasurementOff = 0x41;
}  // namespace

std::vector<RegisterWrite> uploadWrites(const QnProgram& program, std::size_t sequencer) {
    const auto base = static_cast<std::uint8_t>(4 * sequencer);
    const auto strobe = base;
    const auto data = static_cast<std::uint8_t>(base + 1);
    const auto constantData = static_cast<std::uint8_t>(base + 2);
    const auto address = static_cast<std::uint8_t>(base + 3);
    std::vector<RegisterWrite> writes;
    writes.reserve(2 + 3 * static_cast<std::size_t>(program.constantCount) +
                   4 * static_cast<std::size_t>(program.instructionCount));
    writes.push_back(
        RegisterWrite{sequencer < kMeasurementProgram ? kOutputsOff : kMeasurementOff, 0});
    writes.push_back({address, 0});
    for (std::int32_t i = 0; i < program.constantCount; ++i) {
        const auto value =
            static_cast<std::uint16_t>(program.constants[static_cast<std::size_t>(i)]);
        writes.push_back({data, static_cast<std::uint8_t>(i)});
        writes.push_back({constantData, static_cast<std::uint8_t>(value >> 8)});
        writes.push_back({constantData, static_cast<std::uint8_t>(value)});
    }
    for (std::int32_t j = 0; j < program.instructionCount; ++j) {
        const std::uint16_t word = program.instructions[static_cast<std::size_t>(j)].word();
        writes.push_back({address, static_cast<std::uint8_t>(j)});
        writes.push_back({data, static_cast<std::uint8_t>(word >> 8)});
        writes.push_back({strobe, 0});
        writes.push_back({data, static_cast<std::uint8_t>(word)});
    }
    return writes;
}

}  // namespace zo::quinteldrv

#pragma once
// Programs for the hub's tests, written with the device-access library's own program writer and
// builders, so that the hub only ever runs words the library emits.

#include <cstdint>
#include <functional>

#include "library/compiler/channel_block.h"
#include "library/compiler/program_builders.h"
#include "library/compiler/program_writer.h"
#include "library/compiler/sequencer_program.h"

namespace zo::hub::test {

using quinteldrv::ProgramWriter;
using quinteldrv::QnProgram;

// A program of the forms and pieces `write` emits.
inline QnProgram written(const std::function<void(ProgramWriter&)>& write) {
    QnProgram program;
    ProgramWriter out(program);
    write(out);
    return program;
}

// The library's free train of a channel (mode 0 without a gate): `high` ticks high, `low` low.
inline QnProgram freeTrainProgram(std::uint32_t high, std::uint32_t low) {
    quinteldrv::ChannelBlock block{};
    block[quinteldrv::kHighTimeWord] = high;
    block[quinteldrv::kLowTimeWord] = low;
    QnProgram program;
    quinteldrv::buildChannelProgram(block, program);
    return program;
}

}  // namespace zo::hub::test

#pragma once
// The builders that compile a channel's settings, or the measurement header, into a sequencer
// program. The words and their order are the contract with the hub's firmware.

#include "library/compiler/channel_block.h"
#include "library/compiler/sequencer_program.h"

namespace zo::quinteldrv {

// Fills `program` for the channel's mode. Returns false when no builder exists for the mode (the
// program keeps its previous content) or the program would not fit the sequencer.
bool buildChannelProgram(const ChannelBlock& channel, QnProgram& program);

// Fills the measurement program; an input of 0 leaves it empty. False when it would not fit.
bool buildMeasurementProgram(const MeasurementHeader& header, QnProgram& program);

}  // namespace zo::quinteldrv

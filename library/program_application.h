#pragma once
// Bringing the hub in line with the settings: the eight channel programs and the measurement
// program.
//
// SEAM: the sequencer program compiler (the builders of each channel mode and of the measurement
// program, and the upload of a built program) is not part of the library yet. Until it is, every
// step that would need a new program loads nothing and answers ProgramsUnavailable, and each
// caller turns that into a failure of its own, never into success. Steps that need no new program
// (a channel identical to what the hub already holds) and the register writes that come before a
// build are done for real.

#include "library/device_context.h"

namespace zo::quinteldrv {

enum class ApplyResult {
    Applied,              // the hub holds what the settings describe
    TransferFailed,       // a request to the hub failed
    ProgramsUnavailable,  // a program would have to be built, and the compiler is missing
};

// Channels 0..7 in order, each skipped when its block equals the last-applied one; when all of
// them are applied, the current record becomes the last-applied record.
ApplyResult applyChannels(QnDeviceContext& context);

// Stops the measurement sequencer (register 0x41 <- 0), then would build, upload and start the
// measurement program from the current settings' header.
ApplyResult restartMeasurementProgram(QnDeviceContext& context);

}  // namespace zo::quinteldrv

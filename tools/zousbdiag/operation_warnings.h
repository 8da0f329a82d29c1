#pragma once
// Warnings for settings that make nothing come out, so that a run never fails silently: an open
// output that shows no pulse, no output open at all, a measured signal that never changes.

#include <cstdint>
#include <ostream>
#include <span>

#include "include/QuintelDrv.h"
#include "tools/zousbdiag/parameter_names.h"
#include "tools/zousbdiag/silent_outputs.h"

namespace zousbdiag {

// The channels the settings address, as an output mask.
std::uint32_t channelsOf(std::span<const ParameterSetting> settings);

// Tells err about each output of openMask that shows no pulse, or that openMask opens none.
void warnAboutSilentOutputs(const QnDeviceSettings& settings, std::uint32_t openMask,
                            const InputSignals& inputs, std::ostream& err);

// For set, which opens no output: says that nothing comes out in this run, and which of the
// channels it set would stay silent even when opened.
void warnAboutClosedOutputs(const QnDeviceSettings& settings,
                            std::span<const ParameterSetting> changes, const InputSignals& inputs,
                            std::ostream& err);

// Tells err when the measured source never changes, so that the measurement can only time out.
void warnAboutMeasuredSource(std::uint32_t source, const QnDeviceSettings& settings,
                             std::uint32_t openMask, const InputSignals& inputs, std::ostream& err);

}  // namespace zousbdiag

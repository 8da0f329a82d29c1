#pragma once
// Settings under which an open output certainly shows no pulse at all: a pulse width of zero, a
// start, trigger or clock input that never changes (no source, a closed output, an input without
// signal, a channel that is silent itself). Only certain cases are reported; a channel whose
// inputs may change is assumed to work.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "include/QuintelDrv.h"

namespace zousbdiag {

// Whether inputs A and B carry a signal; unknown (nullopt) unless the hub is a simulated one.
struct InputSignals {
    std::optional<bool> a;
    std::optional<bool> b;
};

struct SilentOutput {
    std::uint32_t channel = 0;
    std::string reason;  // "HIGH_TIME is 0, so the output never becomes active"
};

// The channels of openMask that produce no output with these settings, in channel order.
std::vector<SilentOutput> silentOutputs(const QnDeviceSettings& settings, std::uint32_t openMask,
                                        const InputSignals& inputs);

}  // namespace zousbdiag

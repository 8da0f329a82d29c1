#pragma once
// Settings that make the hub work hardest, for its benchmarks and the tests that check its
// shortcuts: channel programs compiled by the library's builders and loaded with the library's
// upload writes and output restart, as a host would load them.

#include <array>
#include <cstdint>
#include <memory>

#include "hub/hub_clock.h"
#include "hub/hub_options.h"
#include "hub/register_map.h"
#include "hub/simulated_hub.h"
#include "hub/testing/library_channels.h"
#include "hub/testing/register_access.h"
#include "library/compiler/program_builders.h"
#include "library/compiler/program_upload.h"

namespace zo::hub::workloads {

inline constexpr std::uint64_t kSimulatedSecond = 1'000'000'000;
inline constexpr std::uint64_t kSimulatedMillisecond = 1'000'000;

// Inputs A at 1 MHz (50 ticks) and B at 3 MHz (16 2/3 ticks): fast gates.
inline constexpr HubOptions kFastInputs{.inputAHz = 1'000'000, .inputBHz = 3'000'000};

struct Workload {
    std::array<quinteldrv::ChannelBlock, 8> channels{};
    std::uint32_t measuredSource = 0;  // what the measurement times; 0: no measurement
};

// Eight free trains of `high` + `low` ticks.
inline Workload sameTrains(std::uint32_t high, std::uint32_t low) {
    Workload workload;
    for (quinteldrv::ChannelBlock& channel : workload.channels) {
        channel = defaultChannel();
        channel[quinteldrv::kHighTimeWord] = high;
        channel[quinteldrv::kLowTimeWord] = low;
    }
    return workload;
}

// Eight trains of one tick high and periods of the primes 2 to 19 ticks: together they repeat
// only after 9 699 690 ticks (0.19 s).
inline Workload primePeriods() {
    static constexpr std::array<std::uint32_t, 8> kPeriods{2, 3, 5, 7, 11, 13, 17, 19};
    Workload workload;
    for (std::size_t channel = 0; channel < 8; ++channel) {
        workload.channels[channel] = defaultChannel();
        workload.channels[channel][quinteldrv::kLowTimeWord] = kPeriods[channel] - 1;
    }
    return workload;
}

// The prime periods, channel 1 gated by channel 0's output and channel 5 by channel 6's: the
// channels that see each other are simulated together.
inline Workload gatedByOtherChannels() {
    Workload workload = primePeriods();
    workload.channels[1][quinteldrv::kGateSourceWord] = 3;  // channel 0
    workload.channels[5][quinteldrv::kGateSourceWord] = 9;  // channel 6
    return workload;
}

// The prime periods with a measurement of channel 2's output (single-tick phases: it finishes
// without a count) and channel 4's gated by it: the measurement looks back at the outputs two and
// three ticks before.
inline Workload measuringAChannel() {
    Workload workload = primePeriods();
    workload.channels[4][quinteldrv::kGateSourceWord] = 5;  // channel 2
    workload.channels[2][quinteldrv::kLowTimeWord] = 40;
    workload.measuredSource = 5;
    return workload;
}

// The prime periods, each train gated by input A (even channels) or B (odd channels), and a
// measurement of input A.
inline Workload gatedWithMeasurement() {
    Workload workload = primePeriods();
    for (std::size_t channel = 0; channel < 8; ++channel) {
        workload.channels[channel][quinteldrv::kGateSourceWord] = channel % 2 == 0 ? 1 : 2;
    }
    workload.measuredSource = 1;  // input A
    return workload;
}

inline quinteldrv::QnProgram measurementOf(std::uint32_t source) {
    quinteldrv::QnProgram program;
    quinteldrv::buildMeasurementProgram({.input = source}, program);
    return program;
}

// The measurement started as the library starts it: stopped, armed at its entry, started.
inline bool startMeasurement(SimulatedHub& hub, std::uint32_t source) {
    return writeRegister(hub, kMeasurementControl, 0) &&
           writeRegister(hub, 4 * kMeasurementSequencer + 3,
                         static_cast<std::uint8_t>(measurementOf(source).entry0)) &&
           writeRegister(hub, kMeasurementControl, 1);
}

inline bool upload(SimulatedHub& hub, const quinteldrv::QnProgram& program, std::size_t sequencer) {
    for (const quinteldrv::RegisterWrite& write : quinteldrv::uploadWrites(program, sequencer)) {
        if (!writeRegister(hub, write.reg, write.value)) {
            return false;
        }
    }
    return true;
}

// All eight outputs restarted as the library restarts them: off, each armed at its program's
// entry, on together.
inline bool restartOutputs(SimulatedHub& hub, const Workload& workload) {
    std::array<std::uint8_t, 8> entries{};
    for (std::size_t channel = 0; channel < 8; ++channel) {
        quinteldrv::QnProgram program;
        if (!quinteldrv::buildChannelProgram(workload.channels[channel], program)) {
            return false;
        }
        entries[channel] = static_cast<std::uint8_t>(program.entry0);
    }
    const auto write = [&hub](std::uint8_t reg, std::uint8_t value) {
        return writeRegister(hub, reg, value);
    };
    return zo::hub::restartOutputs(write, 0xFF, entries);
}

// Loads the workload and starts all eight outputs (and the measurement).
inline bool start(SimulatedHub& hub, const Workload& workload) {
    for (std::size_t channel = 0; channel < 8; ++channel) {
        quinteldrv::QnProgram program;
        if (!quinteldrv::buildChannelProgram(workload.channels[channel], program) ||
            !upload(hub, program, channel)) {
            return false;
        }
    }
    const std::uint32_t measured = workload.measuredSource;
    if (measured != 0 && !upload(hub, measurementOf(measured), kMeasurementSequencer)) {
        return false;
    }
    return restartOutputs(hub, workload) && (measured == 0 || startMeasurement(hub, measured));
}

// What a host's refresh asks: the outputs; with a measurement of `measuredSource`, its status and
// a fresh start.
inline bool refresh(SimulatedHub& hub, std::uint32_t measuredSource) {
    return readRegister(hub, kOutputEnable).has_value() &&
           (measuredSource == 0 || (readRegister(hub, kMeasurementControl).has_value() &&
                                    startMeasurement(hub, measuredSource)));
}

// A hub on a manual clock with a workload started, as the benchmarks and the tests run it.
class RunningHub {
  public:
    explicit RunningHub(const Workload& workload, const HubOptions& options = {})
        : clock_(std::make_shared<ManualHubClock>()),
          hub_(options, clock_),
          started_(start(hub_, workload)) {}

    bool started() const { return started_; }
    SimulatedHub& hub() { return hub_; }
    void advance(std::uint64_t nanoseconds) { clock_->advance(nanoseconds); }

  private:
    std::shared_ptr<ManualHubClock> clock_;
    SimulatedHub hub_;
    bool started_;
};

}  // namespace zo::hub::workloads

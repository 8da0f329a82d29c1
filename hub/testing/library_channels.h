#pragma once
// A simulated hub on a manual clock that runs the programs the device-access library's compiler
// emits: channel settings are compiled by the library's builders and loaded with the library's
// upload writes, and the outputs are restarted as the library restarts them. Tests of the hub's
// modes, and any test that compares a channel setting with what the hub does, record their
// waveforms through it. It needs no test framework.
//
//   zo::hub::LibraryChannels hub({.inputAHz = 20'000});
//   ChannelBlock gated = zo::hub::defaultChannel();
//   gated[zo::quinteldrv::kGateSourceWord] = 1;   // input A
//   hub.load(0, gated);
//   hub.restartOutputs(0x01);
//   zo::hub::Waveform waveform = hub.record(200'000);

#include <array>
#include <cstdint>
#include <memory>

#include "hub/hub_clock.h"
#include "hub/hub_options.h"
#include "hub/simulated_hub.h"
#include "hub/waveform.h"
#include "library/compiler/channel_block.h"
#include "library/compiler/sequencer_program.h"

namespace zo::hub {

using quinteldrv::ChannelBlock;

// The channel block of the library's default settings: mode 0, one tick high and one low, external
// clock on input A, one pulse per burst, retriggered.
ChannelBlock defaultChannel();

class LibraryChannels {
  public:
    explicit LibraryChannels(const HubOptions& options = {});

    SimulatedHub& hub() { return hub_; }
    std::uint64_t now() const { return clock_->nanosecondsSincePowerOn(); }
    void advance(std::uint64_t nanoseconds) { clock_->advance(nanoseconds); }

    // Compiles the channel's settings with the library's builder and loads the program as the
    // library's upload does (outputs off, constants, instructions). False when no builder exists
    // for its mode, the program does not fit, or a register write failed.
    bool load(std::uint8_t channel, const ChannelBlock& settings);
    // The same for the measurement program.
    bool loadMeasurement(const quinteldrv::MeasurementHeader& header);
    const quinteldrv::QnProgram& program(std::size_t sequencer) const {
        return programs_.at(sequencer);
    }

    // The library's output restart: all outputs off, every channel of `mask` armed at its
    // program's entry, then all of them on together, at the present moment.
    bool restartOutputs(std::uint8_t mask);

    // Records whatever the hub does from now for `nanoseconds`.
    Waveform record(std::uint64_t nanoseconds);

  private:
    bool upload(std::size_t sequencer);

    std::shared_ptr<ManualHubClock> clock_;
    SimulatedHub hub_;
    std::array<quinteldrv::QnProgram, quinteldrv::kProgramCount> programs_{};
};

// Loads every channel of `channels` whose bit is set in `mask`, opens those outputs at
// `startNanoseconds` after power-on and records `nanoseconds` from that moment. An empty waveform
// (no wire ever set, start and end 0) when a channel could not be loaded.
Waveform recordLibraryChannels(const std::array<ChannelBlock, 8>& channels, std::uint8_t mask,
                               std::uint64_t startNanoseconds, std::uint64_t nanoseconds,
                               const HubOptions& options = {});

}  // namespace zo::hub

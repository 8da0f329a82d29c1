#include "hub/testing/library_channels.h"

#include "hub/register_map.h"
#include "hub/testing/register_access.h"
#include "library/compiler/program_builders.h"
#include "library/compiler/program_upload.h"

namespace zo::hub {

ChannelBlock defaultChannel() {
    ChannelBlock block{};
    block[quinteldrv::kHighTimeWord] = 1;
    block[quinteldrv::kLowTimeWord] = 1;
    block[quinteldrv::kHighTime2Word] = 1;
    block[quinteldrv::kLowTime2Word] = 1;
    block[quinteldrv::kExtSourceWord] = 1;
    block[quinteldrv::kPulseCountWord] = 1;
    block[quinteldrv::kRetriggerWord] = 1;
    return block;
}

LibraryChannels::LibraryChannels(const HubOptions& options)
    : clock_(std::make_shared<ManualHubClock>()), hub_(options, clock_) {}

bool LibraryChannels::upload(std::size_t sequencer) {
    for (const quinteldrv::RegisterWrite& registerWrite :
         quinteldrv::uploadWrites(programs_[sequencer], sequencer)) {
        if (!writeRegister(hub_, registerWrite.reg, registerWrite.value)) {
            return false;
        }
    }
    return true;
}

bool LibraryChannels::load(std::uint8_t channel, const ChannelBlock& settings) {
    return channel < kMeasurementSequencer &&
           quinteldrv::buildChannelProgram(settings, programs_[channel]) && upload(channel);
}

bool LibraryChannels::loadMeasurement(const quinteldrv::MeasurementHeader& header) {
    return quinteldrv::buildMeasurementProgram(header, programs_[kMeasurementSequencer]) &&
           upload(kMeasurementSequencer);
}

bool LibraryChannels::restartOutputs(std::uint8_t mask) {
    std::array<std::uint8_t, 8> entries{};
    for (std::size_t channel = 0; channel < entries.size(); ++channel) {
        entries[channel] = static_cast<std::uint8_t>(programs_[channel].entry0);
    }
    return hub::restartOutputs(
        [this](std::uint8_t reg, std::uint8_t value) { return writeRegister(hub_, reg, value); },
        mask, entries);
}

Waveform LibraryChannels::record(std::uint64_t nanoseconds) {
    hub_.startRecording();
    advance(nanoseconds);
    return hub_.stopRecording();
}

Waveform recordLibraryChannels(const std::array<ChannelBlock, 8>& channels, std::uint8_t mask,
                               std::uint64_t startNanoseconds, std::uint64_t nanoseconds,
                               const HubOptions& options) {
    LibraryChannels hub(options);
    for (std::uint8_t channel = 0; channel < channels.size(); ++channel) {
        if ((mask >> channel & 1) != 0 && !hub.load(channel, channels[channel])) {
            return {};
        }
    }
    hub.advance(startNanoseconds);
    hub.hub().startRecording();
    if (!hub.restartOutputs(mask)) {
        return {};
    }
    hub.advance(nanoseconds);
    return hub.hub().stopRecording();
}

}  // namespace zo::hub

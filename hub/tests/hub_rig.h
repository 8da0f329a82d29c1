#pragma once
// A simulated hub on a manual clock, driven through its registers the way the library drives it:
// program upload, output restart, measurement start and read-out. Every register access moves
// the clock on by one microsecond, about what a control transfer takes on a real bus, so that
// the hub sees requests at distinct moments as it would.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "hub/hub_clock.h"
#include "hub/register_map.h"
#include "hub/simulated_hub.h"
#include "hub/tests/hub_test_support.h"
#include "library/compiler/program_upload.h"
#include "library/compiler/sequencer_program.h"

namespace zo::hub::test {

inline constexpr std::uint64_t kRequestNanoseconds = 1000;
inline constexpr std::uint64_t kMicrosecond = 1000;
inline constexpr std::uint64_t kMillisecond = 1'000'000;
inline constexpr std::uint8_t kMeasurementStart = 4 * 8 + 3;

class HubRig {
  public:
    explicit HubRig(HubOptions options = {})
        : clock_(std::make_shared<ManualHubClock>()), hub_(options, clock_) {}

    SimulatedHub& hub() { return hub_; }
    void advance(std::uint64_t nanoseconds) { clock_->advance(nanoseconds); }
    std::uint64_t now() const { return clock_->nanosecondsSincePowerOn(); }

    void write(std::uint8_t reg, std::uint8_t value) {
        ASSERT_TRUE(writeRegister(hub_, reg, value)) << "register " << int{reg};
        advance(kRequestNanoseconds);
    }
    std::uint8_t read(std::uint8_t reg) {
        const std::optional<std::uint8_t> value = readRegister(hub_, reg);
        EXPECT_TRUE(value.has_value()) << "register " << int{reg};
        advance(kRequestNanoseconds);
        return value.value_or(0);
    }

    // write() as a callable for the library's register sequences.
    auto writer() {
        return [this](std::uint8_t reg, std::uint8_t value) {
            write(reg, value);
            return true;
        };
    }

    // Loads program p with the library's upload writes; a channel's upload ends with the restart
    // of the enabled outputs, as in the library.
    void upload(std::uint8_t p, const quinteldrv::QnProgram& program) {
        entries_.at(p) = {static_cast<std::uint8_t>(program.entry0),
                          static_cast<std::uint8_t>(program.entry1)};
        for (const quinteldrv::RegisterWrite& registerWrite :
             quinteldrv::uploadWrites(program, p)) {
            write(registerWrite.reg, registerWrite.value);
        }
        if (p < 8) {
            openOutputs(0);
        }
    }

    // Adds `bits` to the output mask and restarts every enabled output in step.
    void openOutputs(std::uint8_t bits) {
        mask_ = static_cast<std::uint8_t>(mask_ | bits);
        std::array<std::uint8_t, 8> entries{};
        for (std::size_t channel = 0; channel < entries.size(); ++channel) {
            entries[channel] = entries_[channel].first;
        }
        restartOutputs(writer(), mask_, entries);
    }

    void startMeasurement() {
        write(kMeasurementControl, 0);
        write(kMeasurementStart, entries_[8].first);
        write(kMeasurementControl, 1);
    }

    // One poll: the measured tick count once the measurement has finished (0 when both halves
    // read 0), nothing before.
    std::optional<std::uint32_t> pollMeasurement() {
        if ((read(kMeasurementControl) & 1) == 0) {
            return std::nullopt;
        }
        write(kMeasurementControl, 0);
        const std::uint32_t high = readResult();
        write(kMeasurementStart, entries_[8].second);
        write(kMeasurementControl, 1);
        write(kMeasurementControl, 0);
        write(kMeasurementStart, entries_[8].first);
        const std::uint32_t low = readResult();
        return high == 0 && low == 0 ? 0 : high * 65536 + low + 4;
    }

    // Records whatever the hub does over the next `nanoseconds`.
    Waveform record(std::uint64_t nanoseconds) {
        hub_.startRecording();
        advance(nanoseconds);
        return hub_.stopRecording();
    }

  private:
    std::uint32_t readResult() {
        const std::uint32_t low = read(kMeasurementResultLow);
        return read(kMeasurementResultHigh) << 8 | low;
    }

    std::shared_ptr<ManualHubClock> clock_;
    SimulatedHub hub_;
    std::array<std::pair<std::uint8_t, std::uint8_t>, 9> entries_{};  // entry 0 and entry 1
    std::uint8_t mask_ = 0;
};

}  // namespace zo::hub::test

#include "hub/register_file.h"

namespace zo::hub {

void RegisterFile::write(std::uint8_t reg, std::uint8_t value) {
    values_[reg] = value;
    if (reg < kFirstNonLoadRegister) {
        sequencers_.load(reg, value);
    } else if (reg == kOutputEnable) {
        sequencers_.setOutputEnable(value);
    } else if (reg == kMeasurementControl) {
        sequencers_.setMeasurementRun((value & 1) != 0);
    }
}

std::uint8_t RegisterFile::read(std::uint8_t reg) const {
    switch (reg) {
        case kMeasurementResultLow:
            return static_cast<std::uint8_t>(sequencers_.measurementResult() & 0xFF);
        case kMeasurementResultHigh:
            return static_cast<std::uint8_t>(sequencers_.measurementResult() >> 8);
        case kMeasurementControl:
            return sequencers_.measurementFinished() ? 1 : 0;
        default:
            return values_[reg];
    }
}

void RegisterFile::reset() {
    values_.fill(0);
    sequencers_.clear();
}

void RegisterFile::resetKeepingPrograms() {
    values_.fill(0);
    sequencers_.stopAll();
}

}  // namespace zo::hub

#pragma once
// Faults a test asks the hub to show on its default pipe: stalls and short answers.
// Not synchronised itself; the hub calls it under its own lock.

#include <cstdint>

namespace zo::hub {

class ControlFaults {
  public:
    void stallNext(std::uint32_t count) { stallsLeft_ = count; }
    void shortenNextReads(std::uint32_t count, std::uint32_t missingBytes) {
        shortReadsLeft_ = count;
        missingBytes_ = missingBytes;
    }

    // Whether this control transfer is to stall; counts it.
    bool takeStall() {
        if (stallsLeft_ == 0) {
            return false;
        }
        --stallsLeft_;
        return true;
    }

    // The bytes a successful device-to-host transfer really answers when it was asked for
    // `asked` and had `answered` ready; counts it when a short read is pending.
    std::uint32_t shortenRead(std::uint32_t asked, std::uint32_t answered) {
        if (shortReadsLeft_ == 0) {
            return answered;
        }
        --shortReadsLeft_;
        const std::uint32_t allowed = asked > missingBytes_ ? asked - missingBytes_ : 0;
        return answered < allowed ? answered : allowed;
    }

  private:
    std::uint32_t stallsLeft_ = 0;
    std::uint32_t shortReadsLeft_ = 0;
    std::uint32_t missingBytes_ = 0;
};

}  // namespace zo::hub

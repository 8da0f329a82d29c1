#include "hub/repetition_finder.h"

namespace zo::hub {

void RepetitionFinder::forget(std::uint16_t members,
                              const std::array<bool, kSequencerCount>& counterMatters) {
    members_ = members;
    counterMatters_ = counterMatters;
    kept_.reset();
}

bool RepetitionFinder::same(const Sequencers& sequencers, const Surroundings& surroundings) const {
    if (!(surroundings == kept_->surroundings)) {
        return false;
    }
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        if (((members_ >> index) & 1) != 0 &&
            !sequencers[index].sameState(kept_->sequencers[index], counterMatters_[index])) {
            return false;
        }
    }
    return true;
}

std::uint64_t RepetitionFinder::observe(const Sequencers& sequencers,
                                        const Surroundings& surroundings, std::uint64_t tick) {
    if (!kept_ || surroundings.changesA != kept_->surroundings.changesA ||
        surroundings.changesB != kept_->surroundings.changesB) {
        kept_ = State{sequencers, surroundings};
        keptTick_ = tick;
        window_ = kFirstWindow;
        return 0;
    }
    if (tick > keptTick_ && same(sequencers, surroundings)) {
        return tick - keptTick_;
    }
    if (tick - keptTick_ >= window_) {
        kept_ = State{sequencers, surroundings};
        keptTick_ = tick;
        if (window_ < kLargestWindow) {
            window_ *= 2;
        }
    }
    return 0;
}

}  // namespace zo::hub

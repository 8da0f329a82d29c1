#include "hub/repetition_finder.h"

namespace zo::hub {

void RepetitionFinder::forget(const std::array<bool, kSequencerCount>& counterMatters) {
    counterMatters_ = counterMatters;
    kept_.reset();
}

bool RepetitionFinder::same(const State& state) const {
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        if (!state[index].sameState((*kept_)[index], counterMatters_[index])) {
            return false;
        }
    }
    return true;
}

std::uint64_t RepetitionFinder::observe(const State& state, std::uint64_t tick) {
    if (!kept_) {
        kept_ = state;
        keptTick_ = tick;
        window_ = kFirstWindow;
        return 0;
    }
    if (tick > keptTick_ && same(state)) {
        return tick - keptTick_;
    }
    if (tick - keptTick_ >= window_) {
        kept_ = state;
        keptTick_ = tick;
        if (window_ < kLargestWindow) {
            window_ *= 2;
        }
    }
    return 0;
}

}  // namespace zo::hub

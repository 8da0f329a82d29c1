#include "hub/sequencer_groups.h"

#include <numeric>

#include "hub/signal_sources.h"

namespace zo::hub {
namespace {

// Union-find over the nine sequencers.
class Partition {
  public:
    Partition() { std::iota(parent_.begin(), parent_.end(), std::size_t{0}); }

    std::size_t root(std::size_t index) {
        while (parent_[index] != index) {
            index = parent_[index] = parent_[parent_[index]];
        }
        return index;
    }
    void join(std::size_t a, std::size_t b) { parent_[root(a)] = root(b); }

  private:
    std::array<std::size_t, kSequencerCount> parent_{};
};

}  // namespace

SequencerGroups independentGroups(const std::array<Sequencer, kSequencerCount>& sequencers,
                                  const std::array<ProgramMemory, kSequencerCount>& programs) {
    Partition partition;
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        const std::uint16_t tested = sequencers[index].testedSources(programs[index]);
        for (std::size_t channel = 0; channel < kChannelCount; ++channel) {
            if (((tested >> (kSourceFirstChannel + channel)) & 1) != 0 &&
                sequencers[channel].running()) {
                partition.join(index, channel);
            }
        }
    }
    SequencerGroups groups;
    std::array<std::size_t, kSequencerCount> groupOfRoot{};
    groupOfRoot.fill(kSequencerCount);
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        if (!sequencers[index].running()) {
            continue;
        }
        const std::size_t root = partition.root(index);
        if (groupOfRoot[root] == kSequencerCount) {
            groupOfRoot[root] = groups.count++;
        }
        groups.members[groupOfRoot[root]] |= static_cast<std::uint16_t>(1U << index);
    }
    return groups;
}

}  // namespace zo::hub

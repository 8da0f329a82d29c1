#include "hub/stretch_memory.h"

namespace zo::hub {

std::size_t StretchMemory::StartHash::operator()(const Start& start) const {
    std::uint64_t hash =
        std::uint64_t{start.freeCounters} << 24 | std::uint64_t{start.members} << 8 | start.visible;
    for (const std::uint8_t outputs : start.outputs) {
        hash = hash * 31 + outputs;
    }
    for (std::size_t index = 0; index < kSequencerCount; ++index) {
        if (((start.members >> index) & 1) != 0) {
            hash = hash * 0x100000001B3 ^ start.sequencers[index].hash();
        }
    }
    // Both halves count where a hash is 32 bits wide.
    return static_cast<std::size_t>(hash ^ hash >> 32);
}

bool StretchMemory::full() const {
    return nodes_.size() >= kMostNodes || edges_ >= kMostEdges ||
           changes_.size() + kLongestStretch > kMostChanges;
}

void StretchMemory::clear() {
    nodes_.clear();
    edges_ = 0;
    changes_.clear();
}

StretchMemory::Node* StretchMemory::enter(const Start& start) {
    if (const auto found = nodes_.find(start); found != nodes_.end()) {
        return &found->second;
    }
    if (full()) {
        return nullptr;
    }
    const auto [made, _] = nodes_.try_emplace(start);
    made->second.start_ = &made->first;
    return &made->second;
}

std::optional<StretchMemory::Step> StretchMemory::follow(const Node& node,
                                                         const Stretch& stretch) const {
    for (const Edge& edge : node.edges_) {
        if (edge.stretch == stretch) {
            return Step{edge.end, std::span(changes_).subspan(edge.firstChange, edge.changeCount),
                        &edge.counters};
        }
    }
    return std::nullopt;
}

StretchMemory::Node* StretchMemory::remember(Node& node, const Stretch& stretch, const Start& end,
                                             std::span<const Change> changes,
                                             const CounterEffects& counters) {
    Node* const next = enter(end);
    if (next == nullptr || full()) {
        return nullptr;
    }
    node.edges_.push_back({stretch, next, changes_.size(), changes.size(), counters});
    ++edges_;
    changes_.insert(changes_.end(), changes.begin(), changes.end());
    return next;
}

}  // namespace zo::hub

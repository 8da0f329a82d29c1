#pragma once
// Remembers how a group of sequencers ran through stretches of steady inputs. Between two changes
// of the inputs a group tests, its course depends only on its state at the stretch's start, the
// inputs' levels (with the two ticks before it, which a measurement looks back at) and the
// stretch's length. A group gated by a fast input whose period is no round number of ticks never
// repeats as a whole, but its states at the inputs' changes come back again and again: from a
// state it remembers, the hub moves to the state at the stretch's end in one step and replays the
// stretch's output changes, so such an input costs a step per change instead of a step per tick.
//
// The memory is a graph: a node per state at a stretch's start, an edge per stretch run from it.
// It holds a bounded number of them and refuses more when full; clear() empties it (the programs
// changed, or it filled up).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "hub/register_map.h"
#include "hub/sequencer.h"

namespace zo::hub {

class StretchMemory {
  public:
    // A group's state at the start of a stretch.
    struct Start {
        std::uint16_t members = 0;  // bit i: sequencer i
        std::uint8_t visible = 0;   // bit k: channel k's output is seen by the group
        // Bit i: sequencer i's counter no longer matters; its state holds 0 instead.
        std::uint16_t freeCounters = 0;
        // The visible outputs now, one and two ticks before.
        std::array<std::uint8_t, 3> outputs{};
        // The members' states; the others' as they are at power-on.
        std::array<Sequencer, kSequencerCount> sequencers{};

        bool operator==(const Start&) const = default;
    };

    // A stretch of steady inputs: its length and the levels of the inputs the group tests.
    struct Stretch {
        std::uint64_t ticks = 0;
        // Bits 0..2: input A on the stretch's first tick, the tick before and the one before
        // that; bits 3..5: input B the same. An input the group does not test reads 0.
        std::uint8_t levels = 0;

        bool operator==(const Stretch&) const = default;
    };

    // An output change within a stretch: ticks after its start; bit k: channel k changes.
    struct Change {
        std::uint32_t offset = 0;
        std::uint8_t toggled = 0;
    };

    // What a stretch did to a member's counter: shifted left (by 32: nothing of it stays) and
    // added to. Loads and ticks do no more, so this holds for any value of a counter that no
    // longer matters; for another counter it holds for the value the state holds.
    struct CounterEffect {
        std::uint8_t shift = 0;
        std::uint32_t add = 0;

        std::uint32_t applyTo(std::uint32_t counter) const {
            return (shift >= 32 ? 0U : counter << shift) + add;
        }
    };
    using CounterEffects = std::array<CounterEffect, kSequencerCount>;

    // A remembered state at a stretch's start, with the stretches run from it.
    class Node;

    // What a stretch run from a node led to.
    struct Step {
        Node* end;
        std::span<const Change> changes;
        const CounterEffects* counters;
    };

    // Longer stretches are not remembered.
    static constexpr std::uint64_t kLongestStretch = 4096;

    // The node of `start`, made if new; null when the memory is full.
    Node* enter(const Start& start);
    // Where `stretch` run from `node` led, if that was remembered.
    std::optional<Step> follow(const Node& node, const Stretch& stretch) const;
    // `stretch` run from `node` led to `end` with `changes`. Returns the node of `end`; null when
    // the memory is full.
    Node* remember(Node& node, const Stretch& stretch, const Start& end,
                   std::span<const Change> changes, const CounterEffects& counters);

    bool full() const;
    void clear();

  private:
    struct StartHash {
        std::size_t operator()(const Start& start) const;
    };
    struct Edge {
        Stretch stretch;
        Node* end = nullptr;
        std::size_t firstChange = 0;
        std::size_t changeCount = 0;
        CounterEffects counters{};
    };

    static constexpr std::size_t kMostNodes = std::size_t{1} << 13;
    static constexpr std::size_t kMostEdges = std::size_t{1} << 15;
    static constexpr std::size_t kMostChanges = std::size_t{1} << 18;

    std::unordered_map<Start, Node, StartHash> nodes_;
    std::size_t edges_ = 0;
    std::vector<Change> changes_;
};

class StretchMemory::Node {
  public:
    const Start& start() const { return *start_; }

  private:
    friend class StretchMemory;

    const Start* start_ = nullptr;
    std::vector<Edge> edges_;
};

}  // namespace zo::hub

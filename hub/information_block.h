#pragma once
// The hub's information block, read by the host one 16-bit word at a time (vendor request 0xF0).
//
// Layout (little-endian): bytes 0..1 the block's length in bytes (20), 2..5 "VINF", 8..11 the
// serial number, 18..19 the firmware version; every other byte is 0. A hub without a block reads
// 0 in every word, so word 0 says "length 0: absent".

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "hub/hub_options.h"

namespace zo::hub {

class InformationBlock {
  public:
    // The window the host may read: at most 130 bytes, words 0..64.
    static constexpr std::size_t kWindowBytes = 130;
    static constexpr std::uint16_t kBlockLength = 20;

    explicit InformationBlock(const HubOptions& options);

    // The word at `index`, or nothing when the index lies beyond the 130-byte window.
    std::optional<std::uint16_t> word(std::uint16_t index) const;

  private:
    static_assert(kBlockLength <= kWindowBytes && kBlockLength % 2 == 0);
    std::array<std::uint8_t, kWindowBytes> bytes_{};
};

}  // namespace zo::hub

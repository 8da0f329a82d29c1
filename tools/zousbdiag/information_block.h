#pragma once
// The hub's information block ("VINF"): its length word, signature, serial number and firmware
// version, decoded from the bytes read with vendor request 0xF0.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zousbdiag {

struct InformationBlock {
    enum class State { Absent, Valid, Malformed };
    State state = State::Absent;
    std::optional<std::uint32_t> serial;    // bytes 8..11, when the block reaches them
    std::optional<std::uint16_t> firmware;  // bytes 18..19, when the block reaches them
    std::string problem;                    // why a block is malformed
};

// Decodes a block whose first two bytes are its length in bytes (0: no block). A length beyond
// the 130-byte window, a missing "VINF" signature or fewer bytes than the length announces make
// the block malformed, and nothing is taken from it.
InformationBlock decodeInformationBlock(std::span<const std::uint8_t> bytes);

}  // namespace zousbdiag

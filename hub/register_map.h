#pragma once
// Numbers of the hub's 256 eight-bit registers.
//
// Registers 4p+0..4p+3 load program p (p = 0..7: channels, 8: measurement) into its sequencer.
// Reads of 32 and 33 show the measurement result instead of the loading registers they share.

#include <cstddef>
#include <cstdint>

namespace zo::hub {

inline constexpr std::size_t kRegisterCount = 256;
inline constexpr std::size_t kSequencerCount = 9;
inline constexpr std::size_t kMeasurementSequencer = 8;

// The four loading registers of one sequencer, by their offset from 4p.
enum class LoadRegister : std::uint8_t {
    Strobe = 0,         // written between the two bytes of an instruction
    AddressOrByte = 1,  // constant address; instruction byte (high part, then low part)
    ConstantData = 2,   // constant, high byte then low byte
    Start = 3           // instruction address while loading; start address when armed
};

inline constexpr std::uint8_t kFirstNonLoadRegister = 4 * kSequencerCount;  // 36

inline constexpr std::uint8_t kMeasurementResultLow = 32;
inline constexpr std::uint8_t kMeasurementResultHigh = 33;
inline constexpr std::uint8_t kOutputEnable = 0x40;        // bit k: channel k
inline constexpr std::uint8_t kMeasurementControl = 0x41;  // write: bit 0 run; read: bit 0 done

}  // namespace zo::hub

#pragma once
// USB descriptors as text for support engineers: every field named, the configuration's
// interfaces and endpoints decoded. Malformed descriptors are reported, never read past.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zousbdiag {

// The 18-byte device descriptor, one field a line.
std::string describeDeviceDescriptor(std::span<const std::uint8_t> descriptor);

// The whole configuration descriptor with the interface and endpoint descriptors that follow it.
std::string describeConfiguration(std::span<const std::uint8_t> configuration);

// The text of a string descriptor: printable ASCII as it is, every other UTF-16 unit (and the
// quote and backslash) escaped as \uXXXX. nullopt when the bytes are no string descriptor.
std::optional<std::string> stringDescriptorText(std::span<const std::uint8_t> descriptor);

}  // namespace zousbdiag

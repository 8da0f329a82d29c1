#pragma once
// The little-endian fields of the service protocol's records: a writer that appends them and a
// reader that takes them with bounds checks. A reader that ran short stays failed, so a record is
// checked once at its end (finished()) instead of after every field.

#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zo::platform::service {

class ByteWriter {
  public:
    void u8(std::uint8_t value) { bytes_.push_back(value); }
    void u16(std::uint16_t value) { little(value, 2); }
    void u32(std::uint32_t value) { little(value, 4); }
    void u64(std::uint64_t value) { little(value, 8); }
    void i32(std::int32_t value) { u32(static_cast<std::uint32_t>(value)); }
    void f64(double value) { u64(std::bit_cast<std::uint64_t>(value)); }
    void bytes(std::span<const std::uint8_t> data) {
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }
    // A 16-bit length, then the text's bytes. The caller keeps it within the protocol's limit.
    void text(std::string_view value) {
        u16(static_cast<std::uint16_t>(value.size()));
        bytes_.insert(bytes_.end(), value.begin(), value.end());
    }

    std::vector<std::uint8_t>& bytes() { return bytes_; }

  private:
    void little(std::uint64_t value, int count) {
        for (int i = 0; i < count; ++i) {
            bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }

    std::vector<std::uint8_t> bytes_;
};

class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint8_t u8() { return static_cast<std::uint8_t>(little(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(little(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(little(4)); }
    std::uint64_t u64() { return little(8); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    double f64() { return std::bit_cast<double>(u64()); }
    // A 0 or 1 byte; anything else fails the reader.
    bool flag() {
        const std::uint8_t value = u8();
        failed_ = failed_ || value > 1;
        return value == 1;
    }
    // `count` bytes; empty and failed when fewer remain.
    std::span<const std::uint8_t> bytes(std::size_t count) {
        if (failed_ || bytes_.size() - position_ < count) {
            failed_ = true;
            return {};
        }
        const auto taken = bytes_.subspan(position_, count);
        position_ += count;
        return taken;
    }
    // A text written by ByteWriter::text of at most `limit` bytes.
    std::string text(std::size_t limit) {
        const std::uint16_t length = u16();
        if (length > limit) {
            failed_ = true;
            return {};
        }
        const auto taken = bytes(length);
        return {taken.begin(), taken.end()};
    }
    // Fails the reader when `condition` is false: a field out of its range.
    void require(bool condition) { failed_ = failed_ || !condition; }

    bool failed() const { return failed_; }
    // Every field read was there and nothing is left over.
    bool finished() const { return !failed_ && position_ == bytes_.size(); }

  private:
    std::uint64_t little(std::size_t count) {
        const auto taken = bytes(count);
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < taken.size(); ++i) {
            value |= std::uint64_t{taken[i]} << (8 * i);
        }
        return value;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

}  // namespace zo::platform::service

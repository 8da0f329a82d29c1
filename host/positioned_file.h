#pragma once
// A file written at chosen offsets, for records that must reach the file whole: a writer appends
// at the end of its last whole record and, when a write fails, cuts the file back to it. Each
// write reaches the operating system before it returns.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <system_error>

namespace zo::host {

class PositionedFile {
  public:
    // Creates the file, or empties an existing one. None, with the cause in `error`, on failure.
    static std::optional<PositionedFile> create(const std::string& path, std::error_code& error);

    PositionedFile(PositionedFile&& other) noexcept;
    PositionedFile& operator=(PositionedFile&& other) noexcept;
    PositionedFile(const PositionedFile&) = delete;
    PositionedFile& operator=(const PositionedFile&) = delete;
    ~PositionedFile();

    // Writes all of `bytes` at `offset`; on failure part of them may have been written, and the
    // cause is returned.
    std::error_code writeAt(std::span<const std::uint8_t> bytes, std::int64_t offset);
    // Cuts the file to `size` bytes; false when the system refuses.
    bool truncate(std::int64_t size);

  private:
    explicit PositionedFile(std::intptr_t handle) : handle_(handle) {}
    void close();

    std::intptr_t handle_;  // the system's handle of the open file; kNoFile once moved from
    static constexpr std::intptr_t kNoFile = -1;
};

}  // namespace zo::host

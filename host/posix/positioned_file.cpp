#include "host/positioned_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zo::host {

namespace {

int descriptorOf(std::intptr_t handle) {
    return static_cast<int>(handle);
}

}  // namespace

std::optional<PositionedFile> PositionedFile::create(const std::string& path,
                                                     std::error_code& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = std::error_code(errno, std::generic_category());
        return std::nullopt;
    }
    return PositionedFile(fd);
}

void PositionedFile::close() {
    if (handle_ != kNoFile) {
        ::close(descriptorOf(handle_));
        handle_ = kNoFile;
    }
}

std::error_code PositionedFile::writeAt(std::span<const std::uint8_t> bytes, std::int64_t offset) {
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(descriptorOf(handle_), bytes.data(), bytes.size(), offset);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return std::error_code(written == 0 ? EIO : errno, std::generic_category());
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
        offset += written;
    }
    return {};
}

bool PositionedFile::truncate(std::int64_t size) {
    return ::ftruncate(descriptorOf(handle_), size) == 0;
}

}  // namespace zo::host

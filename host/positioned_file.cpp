#include "host/positioned_file.h"

#include <utility>

namespace zo::host {

PositionedFile::PositionedFile(PositionedFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoFile)) {}

PositionedFile& PositionedFile::operator=(PositionedFile&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, kNoFile);
    }
    return *this;
}

PositionedFile::~PositionedFile() {
    close();
}

}  // namespace zo::host

#include "kernel/capture_tap.h"

#include <utility>

namespace zo::kernel {

std::shared_ptr<UsbmonCapture> CaptureTap::current() const {
    std::lock_guard lock(mutex_);
    return capture_;
}

void CaptureTap::attach(std::shared_ptr<UsbmonCapture> capture, std::string path) {
    std::shared_ptr<UsbmonCapture> previous;
    {
        std::lock_guard lock(mutex_);
        previous = std::exchange(capture_, std::move(capture));
        path_ = capture_ ? std::move(path) : std::string{};
    }
    // The previous file closes here, or when the last transfer still writing to it is done.
}

std::string CaptureTap::path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

}  // namespace zo::kernel

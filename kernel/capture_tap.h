#pragma once
// Where the USB bus writes its usbmon capture: nowhere, or one file, which can be replaced or
// removed while transfers run. A transfer takes the capture once, so its submission and its
// completion always land in the same file, and the file stays open until that transfer is done.

#include <memory>
#include <mutex>
#include <string>

#include "kernel/usbmon_capture.h"

namespace zo::kernel {

class CaptureTap {
  public:
    // The capture now in use; null when none.
    std::shared_ptr<UsbmonCapture> current() const;
    // Replaces the capture (null: none from now on); `path` names it for those who ask.
    void attach(std::shared_ptr<UsbmonCapture> capture, std::string path);
    std::string path() const;

  private:
    mutable std::mutex mutex_;
    std::shared_ptr<UsbmonCapture> capture_;
    std::string path_;
};

}  // namespace zo::kernel

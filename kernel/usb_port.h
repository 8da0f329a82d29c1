#pragma once
// One port of the USB bus with the device plugged into it: the device's configuration as the bus
// driver knows it (descriptor, handles, pipes) and the wire, where every transfer is also written
// to the usbmon capture when one is open.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "kernel/capture_tap.h"
#include "kernel/usb.h"
#include "kernel/usb_device.h"
#include "kernel/usbmon_capture.h"

namespace zo::kernel {

struct PipeState {
    UCHAR endpoint = 0;
    UCHAR interval = 0;
    USHORT maximumPacketSize = 0;
    USBD_PIPE_TYPE type = UsbdPipeTypeControl;
    ULONG maximumTransferSize = 0;
    USBD_PIPE_HANDLE handle = nullptr;
};

class UsbPort {
  public:
    UsbPort(int number, std::shared_ptr<usb::UsbDevice> device, const CaptureTap& capture);

    int number() const { return number_; }
    UCHAR address() const { return static_cast<UCHAR>(number_); }
    usb::UsbDevice& device() { return *device_; }
    // The device itself, for a holder that must keep it alive after it was unplugged.
    std::shared_ptr<usb::UsbDevice> sharedDevice() const { return device_; }
    DEVICE_OBJECT* pdo = nullptr;

    bool connected() const { return connected_; }
    void disconnect() { connected_ = false; }

    // Transfers on the wire. `urbId` ties the capture's submission and completion together.
    usb::TransferResult control(std::uint64_t urbId, const usb::SetupPacket& setup,
                                std::span<std::uint8_t> data);
    usb::TransferResult transfer(std::uint64_t urbId, const PipeState& pipe,
                                 std::span<std::uint8_t> data);
    // One isochronous packet in the bus's (micro)frame `frame`; the capture shows the whole
    // transfer instead (record()).
    usb::TransferResult isochronousPacket(const PipeState& pipe, std::uint64_t frame,
                                          std::span<std::uint8_t> data);
    // The capture in use now (null: none); a transfer that spans time keeps it until its
    // completion is recorded, so that both land in the same file.
    std::shared_ptr<UsbmonCapture> capture() const { return capture_.current(); }
    // Writes an event of this port's device to `capture` (null: nowhere) with the device's
    // address and the present time.
    void record(UsbmonCapture* capture, UsbmonEvent event);

    // The configuration state, guarded by mutex().
    std::mutex& mutex() { return mutex_; }
    std::vector<UCHAR> configurationDescriptor;  // empty while unconfigured
    USBD_CONFIGURATION_HANDLE configurationHandle = nullptr;
    std::vector<PipeState> pipes;
    std::optional<PipeState> findPipe(USBD_PIPE_HANDLE handle) const;

  private:
    struct WireTransfer {
        std::uint64_t urbId;
        UsbTransferType type;
        std::uint8_t endpoint;
        std::optional<std::array<std::uint8_t, 8>> setup;
    };
    // Moves the data (`move()` answers the device's result) and records the submission and
    // completion in the capture.
    template <typename Move>
    usb::TransferResult onWire(const WireTransfer& wire, std::span<std::uint8_t> data, Move move);
    static std::chrono::nanoseconds wallClock();

    int number_;
    std::shared_ptr<usb::UsbDevice> device_;
    const CaptureTap& capture_;
    std::atomic<bool> connected_ = true;
    std::mutex mutex_;
};

}  // namespace zo::kernel

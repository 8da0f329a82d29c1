#include "kernel/usb_port.h"

#include <algorithm>
#include <chrono>

#include "kernel/linux_urb_status.h"
#include "kernel/usbmon_capture.h"

namespace zo::kernel {

namespace {

UsbTransferType captureType(USBD_PIPE_TYPE type) {
    switch (type) {
        case UsbdPipeTypeIsochronous:
            return UsbTransferType::Isochronous;
        case UsbdPipeTypeInterrupt:
            return UsbTransferType::Interrupt;
        case UsbdPipeTypeBulk:
            return UsbTransferType::Bulk;
        default:
            return UsbTransferType::Control;
    }
}

std::int32_t completionStatus(usb::TransferStatus status) {
    switch (status) {
        case usb::TransferStatus::Ok:
            return linuxUrbStatus(UrbOutcome::Ok);
        case usb::TransferStatus::Stall:
            return linuxUrbStatus(UrbOutcome::Stall);
        case usb::TransferStatus::NotResponding:
            break;
    }
    return linuxUrbStatus(UrbOutcome::NotResponding);
}

std::array<std::uint8_t, 8> setupBytes(const usb::SetupPacket& setup) {
    return {setup.requestType,
            setup.request,
            static_cast<std::uint8_t>(setup.value),
            static_cast<std::uint8_t>(setup.value >> 8),
            static_cast<std::uint8_t>(setup.index),
            static_cast<std::uint8_t>(setup.index >> 8),
            static_cast<std::uint8_t>(setup.length),
            static_cast<std::uint8_t>(setup.length >> 8)};
}

}  // namespace

UsbPort::UsbPort(int number, std::shared_ptr<usb::UsbDevice> device, const CaptureTap& capture)
    : number_(number), device_(std::move(device)), capture_(capture) {}

std::optional<PipeState> UsbPort::findPipe(USBD_PIPE_HANDLE handle) const {
    const auto found = std::find_if(pipes.begin(), pipes.end(), [handle](const PipeState& pipe) {
        return pipe.handle == handle;
    });
    if (handle == nullptr || found == pipes.end()) {
        return std::nullopt;
    }
    return *found;
}

template <typename Move>
usb::TransferResult UsbPort::onWire(const WireTransfer& wire, std::span<std::uint8_t> data,
                                    Move move) {
    const bool in = (wire.endpoint & 0x80) != 0;
    UsbmonEvent event{};
    event.urbId = wire.urbId;
    event.transferType = wire.type;
    event.endpoint = wire.endpoint;
    event.deviceAddress = address();
    event.busNumber = 1;
    const std::shared_ptr<UsbmonCapture> capture = capture_.current();
    if (capture) {
        event.kind = 'S';
        event.setup = wire.setup;
        event.status = kLinuxUrbInProgress;
        event.urbLength = static_cast<std::uint32_t>(data.size());
        event.data = in ? std::span<const std::uint8_t>{} : data;
        event.timestamp = wallClock();
        capture->record(event);
    }
    const usb::TransferResult result =
        connected_ ? move() : usb::TransferResult{usb::TransferStatus::NotResponding, 0};
    if (capture) {
        event.kind = 'C';
        event.setup.reset();
        event.status = completionStatus(result.status);
        event.urbLength = result.bytes;
        event.data = in ? data.first(result.bytes) : std::span<const std::uint8_t>{};
        event.timestamp = wallClock();
        capture->record(event);
    }
    return result;
}

usb::TransferResult UsbPort::control(std::uint64_t urbId, const usb::SetupPacket& setup,
                                     std::span<std::uint8_t> data) {
    const WireTransfer wire{urbId, UsbTransferType::Control,
                            static_cast<std::uint8_t>(setup.isIn() ? 0x80 : 0x00),
                            setupBytes(setup)};
    return onWire(wire, data, [&] { return device_->control(setup, data); });
}

usb::TransferResult UsbPort::transfer(std::uint64_t urbId, const PipeState& pipe,
                                      std::span<std::uint8_t> data) {
    const WireTransfer wire{urbId, captureType(pipe.type), pipe.endpoint, std::nullopt};
    return onWire(wire, data, [&] { return device_->transfer(pipe.endpoint, data); });
}

usb::TransferResult UsbPort::isochronousPacket(const PipeState& pipe, std::uint64_t frame,
                                               std::span<std::uint8_t> data) {
    return connected_ ? device_->isochronous(pipe.endpoint, frame, data)
                      : usb::TransferResult{usb::TransferStatus::NotResponding, 0};
}

void UsbPort::record(UsbmonCapture* capture, UsbmonEvent event) {
    if (capture == nullptr) {
        return;
    }
    event.deviceAddress = address();
    event.busNumber = 1;
    event.timestamp = wallClock();
    capture->record(event);
}

std::chrono::nanoseconds UsbPort::wallClock() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch());
}

}  // namespace zo::kernel

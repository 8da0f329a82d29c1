#pragma once
// A machine of its own for each driver test: zousbdrv loaded, simulated hubs plugged in through a
// recorder that keeps every control transfer the hub saw.

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "driver/zousb_ioctl.h"
#include "hub/simulated_hub.h"
#include "kernel/machine.h"

extern "C" NTSTATUS DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath);

namespace zo::test {

struct SeenControl {
    usb::SetupPacket setup;
    std::vector<std::uint8_t> outData;  // what the host sent in an OUT data stage
};

// The simulated hub, with two changes for the driver's tests: isochronous IN packets carry the
// number of their (micro)frame in their first four bytes and the byte index in the rest, so a test
// sees where each packet landed, and frames can be silenced.
class RecordingDevice : public usb::UsbDevice {
  public:
    // The hub's time follows `clock`, or the wall clock when none is given.
    explicit RecordingDevice(const hub::HubOptions& options,
                             std::shared_ptr<const hub::HubClock> clock = nullptr)
        : hub_(std::make_shared<hub::SimulatedHub>(options, std::move(clock))) {}

    hub::SimulatedHub& hub() { return *hub_; }
    std::vector<SeenControl> controls() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    // The vendor requests with this bRequest, in order.
    std::vector<SeenControl> requests(std::uint8_t request) const {
        std::vector<SeenControl> matching;
        for (const SeenControl& control : controls()) {
            if (control.setup.request == request && (control.setup.requestType & 0x60) == 0x40) {
                matching.push_back(control);
            }
        }
        return matching;
    }

    usb::Speed speed() const override { return hub_->speed(); }
    usb::TransferResult control(const usb::SetupPacket& setup,
                                std::span<std::uint8_t> data) override {
        {
            std::lock_guard lock(mutex_);
            seen_.push_back({setup, setup.isIn()
                                        ? std::vector<std::uint8_t>{}
                                        : std::vector<std::uint8_t>(data.begin(), data.end())});
        }
        return hub_->control(setup, data);
    }
    usb::TransferResult transfer(std::uint8_t endpoint, std::span<std::uint8_t> data) override {
        return hub_->transfer(endpoint, data);
    }
    usb::TransferResult isochronous(std::uint8_t, std::uint64_t frame,
                                    std::span<std::uint8_t> data) override {
        std::lock_guard lock(mutex_);
        if (silentFrames_.count(frame) != 0) {
            return {usb::TransferStatus::NotResponding, 0};
        }
        for (std::size_t index = 0; index < data.size(); ++index) {
            data[index] = static_cast<std::uint8_t>(index);
        }
        const auto stamp = static_cast<std::uint32_t>(frame);
        std::memcpy(data.data(), &stamp, std::min(data.size(), sizeof stamp));
        return {usb::TransferStatus::Ok, static_cast<std::uint32_t>(data.size())};
    }
    void portReset() override { hub_->portReset(); }

    void silenceFrames(std::set<std::uint64_t> frames) {
        std::lock_guard lock(mutex_);
        silentFrames_ = std::move(frames);
    }

  private:
    std::shared_ptr<hub::SimulatedHub> hub_;
    mutable std::mutex mutex_;
    std::vector<SeenControl> seen_;
    std::set<std::uint64_t> silentFrames_;
};

struct Reply {
    NTSTATUS status;
    ULONG_PTR information;
    std::vector<std::uint8_t> output;
};

class DriverTest : public ::testing::Test {
  protected:
    explicit DriverTest(kernel::BusCompletion completion = kernel::BusCompletion::Immediate,
                        ULONG usbdiVersion = 0x600,
                        std::shared_ptr<kernel::BusClock> busClock = nullptr)
        : machine_(std::make_unique<kernel::Machine>(kernel::MachineOptions{
              DriverEntry, completion, usbdiVersion, {}, std::move(busClock)})) {}

    void TearDown() override {
        for (kernel::UsbPort* port : machine_->bus().ports()) {
            machine_->pnp().unplug(port->number());
        }
        EXPECT_EQ(machine_->pool().outstanding(), 0u) << "pool memory left behind";
        EXPECT_EQ(machine_->outstandingIrps(), 0u) << "requests left behind";
    }

    kernel::Machine& machine() { return *machine_; }

    // Plugs a hub in (added and started) and returns its recorder.
    std::shared_ptr<RecordingDevice> plug(const hub::HubOptions& options = {}) {
        auto device = std::make_shared<RecordingDevice>(options);
        const auto plugged = machine_->pnp().plugIn(device);
        lastPort_ = plugged.port;
        lastAdded_ = plugged.added;
        return device;
    }
    int lastPort() const { return lastPort_; }
    NTSTATUS lastAdded() const { return lastAdded_; }

    std::shared_ptr<kernel::OpenFile> open(int instance, bool from32Bit = false) {
        std::shared_ptr<kernel::OpenFile> file;
        const NTSTATUS status =
            machine_->io().open("\\\\.\\ZOUSB-" + std::to_string(instance), from32Bit, file);
        EXPECT_EQ(status, STATUS_SUCCESS) << kernel::statusName(status);
        return file;
    }
    NTSTATUS tryOpen(const std::string& path) {
        std::shared_ptr<kernel::OpenFile> file;
        const NTSTATUS status = machine_->io().open(path, false, file);
        if (file) {
            machine_->io().close(*file);
        }
        return status;
    }

    Reply ioctl(kernel::OpenFile& file, ULONG code, std::vector<std::uint8_t> input = {},
                std::size_t outputLength = 0) {
        Reply reply{0, 0, std::vector<std::uint8_t>(outputLength)};
        const kernel::IoResult result =
            machine_->io().deviceControl(file, code, input, reply.output);
        reply.status = result.status;
        reply.information = result.information;
        return reply;
    }

    // A vendor device-to-host request through IOCTL_ZOUSB_CONTROL_REQUEST.
    Reply vendorIn(kernel::OpenFile& file, std::uint8_t request, std::uint16_t value,
                   std::uint16_t index, std::size_t length) {
        return ioctl(file, IOCTL_ZOUSB_CONTROL_REQUEST,
                     controlRecord(1, 2, 0, request, value, index), length);
    }

    static std::vector<std::uint8_t> controlRecord(std::uint8_t direction, std::uint8_t type,
                                                   std::uint8_t recipient, std::uint8_t request,
                                                   std::uint16_t value, std::uint16_t index) {
        return {direction,
                type,
                recipient,
                0,
                request,
                0,
                static_cast<std::uint8_t>(value),
                static_cast<std::uint8_t>(value >> 8),
                static_cast<std::uint8_t>(index),
                static_cast<std::uint8_t>(index >> 8)};
    }
    static std::vector<std::uint8_t> word32(std::uint32_t value) {
        return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    }
    static std::uint32_t read32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
        std::uint32_t value = 0;
        std::memcpy(&value, bytes.data() + offset, sizeof value);
        return value;
    }

  private:
    std::unique_ptr<kernel::Machine> machine_;
    int lastPort_ = 0;
    NTSTATUS lastAdded_ = 0;
};

}  // namespace zo::test

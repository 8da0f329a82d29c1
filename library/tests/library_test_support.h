#pragma once
// A simulated machine of its own for each library test: zousbdrv loaded, requests completed at
// once, hubs plugged in through a recorder of their control transfers. The library itself is
// reached only through its public header.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "driver/tests/driver_test_support.h"
#include "include/QuintelDrv.h"

namespace zo::test {

// A hub whose information block (vendor request 0xF0) holds the given bytes instead of its own;
// every other request goes to the recorded hub. Counts the information words asked for.
class InformationBlockDevice : public usb::UsbDevice {
  public:
    InformationBlockDevice(std::shared_ptr<RecordingDevice> device, std::vector<std::uint8_t> block)
        : device_(std::move(device)), block_(std::move(block)) {
        block_.resize(130);
    }
    int wordsRead() const { return wordsRead_; }

    usb::Speed speed() const override { return device_->speed(); }
    usb::TransferResult control(const usb::SetupPacket& setup,
                                std::span<std::uint8_t> data) override {
        if (setup.request != 0xF0 || setup.value > 64 || data.size() < 2) {
            return device_->control(setup, data);
        }
        ++wordsRead_;
        data[0] = block_[2u * setup.value];
        data[1] = block_[2u * setup.value + 1];
        return {usb::TransferStatus::Ok, 2};
    }
    usb::TransferResult transfer(std::uint8_t endpoint, std::span<std::uint8_t> data) override {
        return device_->transfer(endpoint, data);
    }
    void portReset() override { device_->portReset(); }

  private:
    std::shared_ptr<RecordingDevice> device_;
    std::vector<std::uint8_t> block_;
    int wordsRead_ = 0;
};

class LibraryTest : public ::testing::Test {
  protected:
    explicit LibraryTest(std::string capturePath = {})
        : machine_(std::make_unique<kernel::Machine>(kernel::MachineOptions{
              DriverEntry, kernel::BusCompletion::Immediate, 0x600, std::move(capturePath), {}})) {}

    // Leaves no device open for the next test, and no hub on the machine.
    ~LibraryTest() override {
        for (const QnDeviceRecord& record : enumerate()) {
            QnHandle handle = nullptr;
            if (record.isOpen != 0 &&
                QnOpenDevice(static_cast<uint32_t>(record.id), &handle) == QN_ERR_ALREADY_OPEN) {
                QnCloseDevice(handle);
            }
        }
        for (kernel::UsbPort* port : machine_->bus().ports()) {
            machine_->pnp().unplug(port->number());
        }
    }

    kernel::Machine& machine() { return *machine_; }

    // Plugs a hub in; the driver gives it the lowest free instance number ("\\.\ZOUSB-n").
    std::shared_ptr<RecordingDevice> plug(const hub::HubOptions& options = {}) {
        auto device = std::make_shared<RecordingDevice>(options);
        ports_.push_back(machine_->pnp().plugIn(device).port);
        return device;
    }
    void plugDevice(std::shared_ptr<usb::UsbDevice> device) {
        ports_.push_back(machine_->pnp().plugIn(std::move(device)).port);
    }
    // Pulls out the hub plugged in `position`-th (0 first).
    void unplug(std::size_t position) { machine_->pnp().unplug(ports_.at(position)); }

    // The records the library enumerates; probes first when nothing was probed yet.
    static std::vector<QnDeviceRecord> enumerate() {
        std::vector<QnDeviceRecord> records(5);
        uint32_t count = 5;
        if (QnEnumDevices(records.data(), &count) != QN_OK) {
            return {};
        }
        records.resize(count);
        return records;
    }

    // Probes again and opens the device with this identifier; null when that fails.
    static QnHandle probeAndOpen(uint32_t id = 1) {
        QnLoadDriver();
        QnHandle handle = nullptr;
        return QnOpenDevice(id, &handle) == QN_OK ? handle : nullptr;
    }

    // The register writes (0xFB) the hub saw from `from` on: register and value.
    static std::vector<std::pair<int, int>> registerWrites(const RecordingDevice& device,
                                                           std::size_t from = 0) {
        std::vector<std::pair<int, int>> writes;
        const std::vector<SeenControl> seen = device.requests(0xFB);
        for (std::size_t i = from; i < seen.size(); ++i) {
            writes.emplace_back(seen[i].setup.value & 0xFF, seen[i].setup.index >> 8);
        }
        return writes;
    }

    static QnDeviceSettings sizedRecord() {
        QnDeviceSettings settings;
        std::memset(&settings, 0, sizeof settings);
        settings.size = QN_SETTINGS_SIZE;
        return settings;
    }

  private:
    std::unique_ptr<kernel::Machine> machine_;
    std::vector<int> ports_;
};

}  // namespace zo::test

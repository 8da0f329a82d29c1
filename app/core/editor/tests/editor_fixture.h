#pragma once
// Test support: the channel editor with a recording window, on a simulated machine and a registry
// of the test's own, reaching the hubs through the real device-access library loaded by the
// binder.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "app/core/editor/channel_editor.h"
#include "app/core/editor/tests/recording_view.h"
#include "app/core/settings_keys.h"
#include "app/core/tests/program_registry.h"
#include "app/core/zoqn_helper.h"
#include "driver/tests/driver_test_support.h"

namespace zo::quintel::testing {

inline constexpr std::uint8_t kRegisterWrite = 0xFB;
inline constexpr int kOutputEnableRegister = 0x40;

class EditorTest : public ::testing::Test {
  protected:
    EditorTest()
        : machine_(std::make_unique<kernel::Machine>(kernel::MachineOptions{
              DriverEntry, kernel::BusCompletion::Immediate, 0x600, {}, {}})) {
        CreateUserSettingsKey();
    }

    ~EditorTest() override {
        editor_.reset();
        CZoqnHelper::UnloadDriver();
        for (kernel::UsbPort* port : machine_->bus().ports()) {
            machine_->pnp().unplug(port->number());
        }
    }

    std::shared_ptr<test::RecordingDevice> plug(
        const hub::HubOptions& options = {}, std::shared_ptr<const hub::HubClock> clock = nullptr) {
        auto hub = std::make_shared<test::RecordingDevice>(options, std::move(clock));
        machine_->pnp().plugIn(hub);
        return hub;
    }

    ChannelEditor& editor() { return *editor_; }
    const ChannelConfig& channel(std::size_t c) const { return editor_->Config().channels[c]; }
    const QnChannelSettings& sent(std::size_t c) const {
        return editor_->Device().settings().channels[c];
    }

    // The registers written since write number `from`, and the values of the output-enable
    // register among them.
    static std::vector<int> writtenRegisters(const test::RecordingDevice& hub, std::size_t from) {
        std::vector<int> registers;
        const std::vector<test::SeenControl> writes = hub.requests(kRegisterWrite);
        for (std::size_t i = from; i < writes.size(); ++i) {
            registers.push_back(writes[i].setup.value & 0xFF);
        }
        return registers;
    }
    static std::vector<int> outputEnableWrites(const test::RecordingDevice& hub, std::size_t from) {
        std::vector<int> values;
        const std::vector<test::SeenControl> writes = hub.requests(kRegisterWrite);
        for (std::size_t i = from; i < writes.size(); ++i) {
            if ((writes[i].setup.value & 0xFF) == kOutputEnableRegister) {
                values.push_back(writes[i].setup.index >> 8);
            }
        }
        return values;
    }
    static std::size_t writeCount(const test::RecordingDevice& hub) {
        return hub.requests(kRegisterWrite).size();
    }

    // Waits until the measurement worker has posted `count` read-outs in all.
    bool waitForMeasurements(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (view_.PostedMeasurements() < count) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    ProgramRegistry registry_;
    CZoqnHelper binder_;
    std::unique_ptr<kernel::Machine> machine_;
    RecordingView view_;
    std::unique_ptr<ChannelEditor> editor_ =
        std::make_unique<ChannelEditor>(view_, std::chrono::milliseconds(1));
};

}  // namespace zo::quintel::testing

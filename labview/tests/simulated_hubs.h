#pragma once
// A machine of its own for each test, with simulated hubs behind recorders of every control
// transfer, probed by QuintelDrv so that QuintelLV's exports reach them.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <numeric>
#include <vector>

#include "driver/tests/driver_test_support.h"
#include "include/QuintelDrv.h"
#include "labview/QuintelLV.h"

namespace zo::test {

class SimulatedHubsTest : public ::testing::Test {
  protected:
    // Plugs the hubs in, in order, and has QuintelDrv probe them (identifiers 1, 2, ...).
    void plug(std::initializer_list<hub::HubOptions> hubs) {
        for (const hub::HubOptions& options : hubs) {
            auto device = std::make_shared<RecordingDevice>(options);
            machine_.pnp().plugIn(device);
            hubs_.push_back(std::move(device));
        }
        ASSERT_EQ(QnLoadDriver(), QN_OK);
    }

    void TearDown() override {
        for (const auto& device : hubs_) {
            device->hub().stallNextControlTransfers(0);
        }
        for (int32_t identifier = 1; identifier <= 5; ++identifier) {
            LvQnCloseDevice(identifier);
        }
    }

    RecordingDevice& hubAt(std::size_t index) { return *hubs_.at(index); }

    std::size_t controlTransfers() const {
        return std::accumulate(
            hubs_.begin(), hubs_.end(), std::size_t{0},
            [](std::size_t sum, const auto& device) { return sum + device->controls().size(); });
    }

    int32_t openFirst() {
        int32_t identifier = 0;
        EXPECT_EQ(LvQnOpenDevice(&identifier), LVQN_OK);
        return identifier;
    }

  private:
    kernel::Machine machine_{
        kernel::MachineOptions{DriverEntry, kernel::BusCompletion::Immediate, 0x600, {}, {}}};
    std::vector<std::shared_ptr<RecordingDevice>> hubs_;
};

}  // namespace zo::test

#pragma once
// The simulated Kestrava Quintel hub as a USB device: descriptors and standard requests, the
// vendor requests of its firmware, its register file, a bulk loopback, an interrupt status pipe
// and the isochronous stream of its sampled signals. Every method may be called from several
// threads at once. See hub/README.md.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "hub/control_faults.h"
#include "hub/device_memory.h"
#include "hub/hub_clock.h"
#include "hub/hub_options.h"
#include "hub/information_block.h"
#include "hub/loopback_queue.h"
#include "hub/register_file.h"
#include "hub/signal_stream.h"
#include "hub/waveform.h"
#include "kernel/usb_device.h"

namespace zo::hub {

class SimulatedHub final : public zo::usb::UsbDevice {
  public:
    static constexpr std::size_t kDefaultMaxTransitions = 10'000'000;

    // The hub's time follows the monotonic wall clock from construction (power-on).
    explicit SimulatedHub(const HubOptions& options = {});
    // The hub's time follows `clock`, for instance a ManualHubClock that a test moves.
    SimulatedHub(const HubOptions& options, std::shared_ptr<const HubClock> clock);

    const HubOptions& options() const { return options_; }

    zo::usb::Speed speed() const override { return options_.speed; }
    zo::usb::TransferResult control(const zo::usb::SetupPacket& setup,
                                    std::span<std::uint8_t> data) override;
    zo::usb::TransferResult transfer(std::uint8_t endpointAddress,
                                     std::span<std::uint8_t> data) override;
    // Endpoint 0x88: one packet of the signal stream (hub/signal_packet.h).
    zo::usb::TransferResult isochronous(std::uint8_t endpointAddress, std::uint64_t frame,
                                        std::span<std::uint8_t> data) override;
    void portReset() override;

    // Fault injection for tests. Each call replaces the previous order of the same kind.
    // The next `count` control transfers stall without any effect on the hub.
    void stallNextControlTransfers(std::uint32_t count);
    // The next `count` successful device-to-host control transfers answer at most
    // wLength - missingBytes bytes (0 when missingBytes >= wLength); their effect is unchanged.
    void shortenNextControlReads(std::uint32_t count, std::uint32_t missingBytes);

    // Waveform capture: records the channel outputs and inputs A and B from the present moment
    // until stopRecording(), which returns them (see hub/vcd_writer.h to write a VCD file). At
    // most `maxTransitions` transitions are kept; a longer recording is cut (Waveform::truncated).
    // Starting again discards a running recording.
    void startRecording(std::size_t maxTransitions = kDefaultMaxTransitions);
    Waveform stopRecording();

  private:
    // Simulates the sequencers up to the clock's present, sampling them for the stream when one
    // runs; called under the mutex by every entry.
    // Answers the present moment.
    std::uint64_t catchUp();
    zo::usb::TransferResult standardRequest(const zo::usb::SetupPacket& setup,
                                            std::span<std::uint8_t> data);
    zo::usb::TransferResult getDescriptor(const zo::usb::SetupPacket& setup,
                                          std::span<std::uint8_t> data) const;
    zo::usb::TransferResult vendorRequest(const zo::usb::SetupPacket& setup,
                                          std::span<std::uint8_t> data);
    zo::usb::TransferResult interruptStatus(std::span<std::uint8_t> data) const;
    bool isEndpoint(std::uint8_t address) const;

    const HubOptions options_;
    const InformationBlock information_;
    const std::shared_ptr<const HubClock> clock_;

    std::mutex mutex_;
    std::uint8_t configuration_ = 0;
    bool remoteWakeup_ = false;
    RegisterFile registers_;
    DeviceMemory memory_;
    LoopbackQueue loopback_;
    SignalStream stream_;
    ControlFaults faults_;
};

}  // namespace zo::hub

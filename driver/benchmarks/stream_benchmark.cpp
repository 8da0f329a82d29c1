// What a stream costs: high-speed isochronous packets through the bus's schedule, zousbdrv's
// stream (completion routines, rings) and the stream reads of a user-mode reader, on a bus clock
// the benchmark moves as fast as the machine lets it.
//
// Each iteration moves the bus one millisecond (eight packets) and then reads everything the
// rings hold, so every benchmark reports:
//   packets_per_second  packets through the whole path per second of wall time, sustained with
//                       the default rings (1024 packets) and no packet dropped;
//   cpu_us_per_packet   CPU time of the process (all threads) per packet;
//   core_at_8000        the share of one core that 8000 packets a second (a full high-speed
//                       isochronous endpoint) take at that cost;
//   dropped             packets lost to full rings (0 when the reader keeps up).

#include <benchmark/benchmark.h>
#include <time.h>

#include <cstring>
#include <memory>
#include <vector>

#include "driver/zousb_ioctl.h"
#include "hub/simulated_hub.h"
#include "kernel/machine.h"
#include "simulation/bus_driven_hub_clock.h"

extern "C" NTSTATUS DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath);

namespace {

constexpr std::uint32_t kIsoPipe = 3;
constexpr std::uint32_t kPacketSize = 1024;
constexpr std::uint32_t kRingPackets = 1024;
constexpr std::uint32_t kReadPackets = 256;
constexpr std::size_t kRecordSize = sizeof(ZOUSB_PACKET_RECORD);

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}


// The hub, with its isochronous packets replaced by full ones numbered in their first four
// bytes: the cost of the path without the cost of sampling.
class FullPackets final : public zo::usb::UsbDevice {
  public:
    zo::usb::Speed speed() const override { return hub_.speed(); }
    zo::usb::TransferResult control(const zo::usb::SetupPacket& setup,
                                    std::span<std::uint8_t> data) override {
        return hub_.control(setup, data);
    }
    zo::usb::TransferResult transfer(std::uint8_t endpoint, std::span<std::uint8_t> data) override {
        return hub_.transfer(endpoint, data);
    }
    zo::usb::TransferResult isochronous(std::uint8_t, std::uint64_t,
                                        std::span<std::uint8_t> data) override {
        std::memcpy(data.data(), &sequence_, sizeof sequence_);
        ++sequence_;
        return {zo::usb::TransferStatus::Ok, static_cast<std::uint32_t>(data.size())};
    }
    void portReset() override { hub_.portReset(); }

  private:
    zo::hub::SimulatedHub hub_;
    std::uint32_t sequence_ = 0;  // the bus calls one packet at a time
};

// A machine with one device and a running stream, and the reader of its rings.
class StreamRig {
  public:
    explicit StreamRig(bool sampledSignals)
        : clock_(std::make_shared<zo::kernel::ManualBusClock>()),
          machine_(zo::kernel::MachineOptions{DriverEntry, zo::kernel::BusCompletion::Deferred,
                                              0x600, {}, clock_}),
          buffer_(kReadPackets * (kPacketSize + kRecordSize)) {
        if (sampledSignals) {
            machine_.pnp().plugIn(std::make_shared<zo::hub::SimulatedHub>(
                zo::hub::HubOptions{.inputAHz = 100'000, .inputBHz = 30'000},
                std::make_shared<zo::simulation::BusDrivenHubClock>(clock_)));
        } else {
            machine_.pnp().plugIn(std::make_shared<FullPackets>());
        }
        machine_.io().open("\\\\.\\ZOUSB-0", false, file_);
        const ZOUSB_ISO_TRANSFER start{kIsoPipe, kPacketSize, kRingPackets, 8, 4};
        started_ = machine_.io().deviceControl(*file_, IOCTL_ZOUSB_START_STREAM, bytes(start), {})
                       .status == STATUS_SUCCESS;
        read_ = bytes(ZOUSB_ISO_TRANSFER{kIsoPipe, kPacketSize, kReadPackets, 0, 0});
    }
    ~StreamRig() {
        machine_.io().deviceControl(*file_, IOCTL_ZOUSB_STOP_STREAM, {}, {});
        for (int step = 0; step < 8; ++step) {
            advance();  // every slot winds down at its next completion
        }
        machine_.io().close(*file_);
    }

    bool started() const { return started_; }
    void advance() {
        clock_->advance(zo::kernel::kFrameNanoseconds);
        machine_.bus().isochronous().waitUntilCaughtUp(std::chrono::seconds(10));
    }
    // Reads everything the rings hold; answers the packets read.
    std::uint64_t collect() {
        std::uint64_t packets = 0;
        while (true) {
            const zo::kernel::IoResult result =
                machine_.io().deviceControl(*file_, IOCTL_ZOUSB_READ_STREAM, read_, buffer_);
            const std::uint64_t count = result.information / (kPacketSize + kRecordSize);
            if (result.status != STATUS_SUCCESS || count == 0) {
                return packets;
            }
            packets += count;
        }
    }

  private:
    template <typename Record>
    static std::vector<std::uint8_t> bytes(const Record& record) {
        std::vector<std::uint8_t> data(sizeof record);
        std::memcpy(data.data(), &record, sizeof record);
        return data;
    }

    std::shared_ptr<zo::kernel::ManualBusClock> clock_;
    zo::kernel::Machine machine_;
    std::shared_ptr<zo::kernel::OpenFile> file_;
    std::vector<std::uint8_t> read_;
    std::vector<std::uint8_t> buffer_;
    bool started_ = false;
};

// `samplesPerPacket`: the samples one packet carries, to tell the sample rate it stands for.
void stream(benchmark::State& state, bool sampledSignals, double samplesPerPacket) {
    StreamRig rig(sampledSignals);
    if (!rig.started()) {
        state.SkipWithError("the stream did not start");
        return;
    }
    for (int warmUp = 0; warmUp < 10; ++warmUp) {
        rig.advance();
        rig.collect();
    }
    std::uint64_t packets = 0;
    std::uint64_t frames = 0;
    const double cpuBefore = processCpuSeconds();
    for (auto _ : state) {
        rig.advance();
        packets += rig.collect();
        ++frames;
    }
    const double cpuSeconds = processCpuSeconds() - cpuBefore;
    const double perPacket = cpuSeconds / static_cast<double>(std::max<std::uint64_t>(packets, 1));
    state.counters["packets_per_second"] =
        benchmark::Counter(static_cast<double>(packets), benchmark::Counter::kIsRate);
    state.counters["cpu_us_per_packet"] = perPacket * 1e6;
    state.counters["core_at_8000"] = perPacket * 8000;
    state.counters["dropped"] = static_cast<double>(frames * 8 - packets);
    state.counters["samples_per_second"] = benchmark::Counter(
        static_cast<double>(packets) * samplesPerPacket, benchmark::Counter::kIsRate);
}

// The path alone: full 1024-byte packets from a device that only numbers them. Full packets of
// the hub's format would carry 500 samples each.
void streamOfFullPackets(benchmark::State& state) {
    stream(state, false, (kPacketSize - 24) / 2.0);
}
BENCHMARK(streamOfFullPackets)->UseRealTime()->MinTime(2.0);

// The hub's own packets: two inputs at 100 and 30 kHz sampled every 500 ns, 250 samples a
// packet, the sampling included.
void streamOfTheHubsSignals(benchmark::State& state) {
    stream(state, true, 250);
}
BENCHMARK(streamOfTheHubsSignals)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();

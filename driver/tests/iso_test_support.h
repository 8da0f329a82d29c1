#pragma once
// A hub on a bus whose (micro)frame clock the test moves, and the requests of the isochronous
// codes: every packet falls into the same microframe on every run.

#include <chrono>
#include <functional>
#include <thread>

#include "driver/tests/driver_test_support.h"

namespace zo::test {

inline constexpr std::uint32_t kIsoPipe = 3;  // the hub's isochronous IN pipe, endpoint 0x88
inline constexpr std::uint32_t kPacketSize = 16;
inline constexpr std::uint64_t kMillisecond = kernel::kFrameNanoseconds;
inline constexpr std::uint64_t kMicroframe = kernel::kMicroframeNanoseconds;

struct IsoRecord {
    std::uint32_t pipe = kIsoPipe;
    std::uint32_t packetSize = kPacketSize;
    std::uint32_t packetCount = 0;
    std::uint32_t packetsPerTransfer = 8;
    std::uint32_t transfers = 4;

    std::vector<std::uint8_t> bytes() const {
        const ZOUSB_ISO_TRANSFER record{pipe, packetSize, packetCount, packetsPerTransfer,
                                        transfers};
        std::vector<std::uint8_t> bytes(sizeof record);
        std::memcpy(bytes.data(), &record, sizeof record);
        return bytes;
    }
    std::size_t outputLength() const {
        return static_cast<std::size_t>(packetCount) * (packetSize + sizeof(ZOUSB_PACKET_RECORD));
    }
};

class IsoTest : public DriverTest {
  protected:
    explicit IsoTest(hub::HubOptions options = {}, std::shared_ptr<kernel::ManualBusClock> clock =
                                                       std::make_shared<kernel::ManualBusClock>())
        : DriverTest(kernel::BusCompletion::Immediate, 0x600, clock),
          clock_(std::move(clock)),
          options_(options) {}

    void SetUp() override {
        device_ = plug(options_);
        file_ = open(0);
    }
    void TearDown() override {
        machine().io().close(*file_);
        DriverTest::TearDown();
    }

    kernel::OpenFile& file() { return *file_; }
    RecordingDevice& device() { return *device_; }

    // Moves the bus clock and lets the bus run every packet that became due.
    void advance(std::uint64_t nanoseconds) {
        clock_->advance(nanoseconds);
        ASSERT_TRUE(machine().bus().isochronous().waitUntilCaughtUp(std::chrono::seconds(10)));
    }

    // Runs a request that waits for the bus while the clock moves a millisecond at a time.
    Reply whileTheBusRuns(const std::function<Reply()>& call, std::size_t inFlight) {
        auto reply = std::async(std::launch::async, call);
        // The clock starts moving once the request has placed its first transfers (or has been
        // refused), so that the transfers fall into the same frames on every run.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (machine().bus().isochronous().scheduled() < inFlight &&
               std::chrono::steady_clock::now() < giveUp &&
               reply.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
        }
        for (int step = 0; step < 100000; ++step) {
            if (reply.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready) {
                break;
            }
            advance(kMillisecond);
        }
        return reply.get();
    }

    Reply oneShot(const IsoRecord& record, ULONG code = IOCTL_ZOUSB_ISO_READ,
                  std::size_t outputLength = 0) {
        return whileTheBusRuns(
            [&] {
                return ioctl(file(), code, record.bytes(),
                             outputLength != 0 ? outputLength : record.outputLength());
            },
            record.transfers);
    }

    Reply readStream(std::uint32_t packets, std::uint32_t packetSize = kPacketSize) {
        const IsoRecord record{kIsoPipe, packetSize, packets, 0, 0};
        return ioctl(file(), IOCTL_ZOUSB_READ_STREAM, record.bytes(), record.outputLength());
    }

    // The (micro)frame stamp the device wrote into the first bytes of a packet.
    static std::uint32_t stampAt(const Reply& reply, std::size_t offset) {
        return read32(reply.output, offset);
    }
    static ZOUSB_PACKET_RECORD packetRecord(const Reply& reply, std::size_t offset) {
        ZOUSB_PACKET_RECORD record{};
        std::memcpy(&record, reply.output.data() + offset, sizeof record);
        return record;
    }

    std::shared_ptr<kernel::ManualBusClock> clock_;

  private:
    hub::HubOptions options_;
    std::shared_ptr<RecordingDevice> device_;
    std::shared_ptr<kernel::OpenFile> file_;
};

}  // namespace zo::test

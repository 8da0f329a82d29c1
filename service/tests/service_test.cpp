// zousbsim's service in the test's process, reached over its socket as a program reaches it: the
// transfer methods' buffers, the status with processes, plugging with handles open, recordings,
// the capture, and every way a connection can misbehave.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "driver/zousb_ioctl.h"
#include "hub/hub_clock.h"
#include "platform/embedded_device_handle.h"
#include "platform/shared_machine/service_device_handle.h"
#include "service/status_text.h"
#include "service/tests/raw_connection.h"
#include "service/tests/running_service.h"

namespace zo::zousbsim::testing {
namespace {

namespace protocol = platform::service;
using namespace std::chrono_literals;

constexpr const char* kHub0 = "\\\\.\\ZOUSB-0";

std::unique_ptr<platform::DeviceHandle> openThrough(RunningService& running, const char* path,
                                                    bool from32BitProcess = false) {
    platform::KernelStatus status = 0;
    auto handle = protocol::openServiceDevice(running.socket(), path, from32BitProcess, status);
    EXPECT_EQ(status, STATUS_SUCCESS) << kernel::statusName(status);
    return handle;
}

template <typename Record>
std::span<const std::uint8_t> bytesOf(const Record& record) {
    return {reinterpret_cast<const std::uint8_t*>(&record), sizeof record};
}

ZOUSB_CONTROL_REQUEST informationWord(std::uint16_t index) {
    return {1, 2, 0, 0, 0xF0, 0, index, 0};
}

struct Answer {
    NTSTATUS status;
    std::uint32_t information;
    std::vector<std::uint8_t> output;
    bool operator==(const Answer&) const = default;
};

Answer ask(platform::DeviceHandle& handle, std::uint32_t code, std::span<const std::uint8_t> input,
           std::vector<std::uint8_t> output) {
    const platform::IoControlResult result = handle.control(code, input, output);
    return {result.status, result.bytesReturned, std::move(output)};
}

bool noHandles(const protocol::StatusReply& status) {
    return status.handles.empty();
}

TEST(ServiceTest, EachTransferMethodKeepsItsBufferSemanticsAcrossTheService) {
    RunningService running;
    ASSERT_TRUE(running.serving()) << running.error();
    running.plug();
    auto shared = openThrough(running, kHub0);
    platform::KernelStatus status = 0;
    auto local = platform::openEmbeddedDevice(kHub0, false, status);
    ASSERT_TRUE(shared && local);

    // Buffered: only the bytes returned are written; the rest of the caller's buffer stays.
    const std::vector<std::uint8_t> marked(1024, 0xEE);
    const Answer interface = ask(*shared, IOCTL_ZOUSB_QUERY_INTERFACE, {}, marked);
    EXPECT_EQ(interface, ask(*local, IOCTL_ZOUSB_QUERY_INTERFACE, {}, marked));
    ASSERT_EQ(interface.status, STATUS_SUCCESS);
    EXPECT_EQ(interface.output[interface.information], 0xEE);

    // Direct, device to host: the driver writes into the caller's buffer.
    const auto word = informationWord(1);
    const Answer vinf = ask(*shared, IOCTL_ZOUSB_CONTROL_REQUEST, bytesOf(word), {0, 0});
    EXPECT_EQ(vinf, ask(*local, IOCTL_ZOUSB_CONTROL_REQUEST, bytesOf(word), {0, 0}));
    EXPECT_EQ(vinf.output, (std::vector<std::uint8_t>{'V', 'I'}));

    // Direct, host to device and back: the bulk loopback. The caller's buffer carries the data
    // out; coming back, what the driver did not write stays as the caller left it.
    const std::uint32_t outPipe = 0;
    const std::uint32_t inPipe = 1;
    EXPECT_EQ(ask(*shared, IOCTL_ZOUSB_PIPE_WRITE, bytesOf(outPipe), {1, 2, 3}).status,
              STATUS_SUCCESS);
    const Answer loop =
        ask(*shared, IOCTL_ZOUSB_PIPE_READ, bytesOf(inPipe), std::vector<std::uint8_t>(8, 0xEE));
    EXPECT_EQ(loop.status, STATUS_SUCCESS);
    EXPECT_EQ(loop.information, 3u);
    EXPECT_EQ(loop.output, (std::vector<std::uint8_t>{1, 2, 3, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));

    // A request beyond the protocol's bound never leaves the process.
    std::vector<std::uint8_t> huge(protocol::kMaxTransferBytes + 1);
    EXPECT_EQ(shared->control(IOCTL_ZOUSB_QUERY_INTERFACE, {}, huge).status,
              STATUS_INVALID_PARAMETER);
}

TEST(ServiceTest, AHandleOfA32BitProcessGetsThe32BitRecords) {
    RunningService running;
    running.plug();
    auto shared = openThrough(running, kHub0, true);
    platform::KernelStatus status = 0;
    auto local = platform::openEmbeddedDevice(kHub0, true, status);
    ASSERT_TRUE(shared && local);
    const std::vector<std::uint8_t> buffer(1024);
    const Answer answer = ask(*shared, IOCTL_ZOUSB_QUERY_INTERFACE, {}, buffer);
    EXPECT_EQ(answer, ask(*local, IOCTL_ZOUSB_QUERY_INTERFACE, {}, buffer));
    ZOUSB_INTERFACE_INFO32 record{};
    std::memcpy(&record, answer.output.data(), sizeof record);
    EXPECT_EQ(record.numberOfPipes, 4u);
    EXPECT_EQ(record.maximumPacketSize, 512u);
    auto wide = openThrough(running, kHub0, false);
    EXPECT_NE(ask(*wide, IOCTL_ZOUSB_QUERY_INTERFACE, {}, buffer).output, answer.output);
}

TEST(ServiceTest, StatusListsTheHubsWithTheirOptionsAndEachHandleWithItsProcess) {
    RunningService running;
    running.plug();
    running.plug(std::make_shared<hub::SimulatedHub>(
        hub::HubOptions{.speed = usb::Speed::Full, .serial = 0x1234, .inputAHz = 2.5}));
    auto handle = openThrough(running, "\\\\.\\ZOUSB-1", true);
    auto session = running.connect();
    ASSERT_TRUE(session);
    auto status = session->call<protocol::StatusReply>(protocol::StatusRequest{});
    ASSERT_TRUE(status);
    ASSERT_EQ(status->hubs.size(), 2u);
    EXPECT_EQ(status->hubs[1].device, "\\\\.\\ZOUSB-1");
    EXPECT_FALSE(status->hubs[1].highSpeed);
    EXPECT_EQ(status->hubs[1].serial, 0x1234u);
    ASSERT_EQ(status->handles.size(), 1u);
    EXPECT_EQ(status->handles[0].processId, ::getpid());
    EXPECT_EQ(status->handles[0].device, "\\\\.\\ZOUSB-1");
    EXPECT_TRUE(status->handles[0].from32BitProcess);

    std::ostringstream text;
    printStatus(*status, text);
    EXPECT_NE(text.str().find("2     \\\\.\\ZOUSB-1  full   sim:speed=full,pid=0x4345,info=1,"
                              "serial=0x00001234,firmware=0x0100,a=2.5,b=2500"),
              std::string::npos)
        << text.str();
    std::istringstream lines(text.str());
    std::string line;
    bool listed = false;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string handleNumber, process, device, from32Bit;
        words >> handleNumber >> process >> device >> from32Bit;
        listed = listed || (process == std::to_string(::getpid()) && device == "\\\\.\\ZOUSB-1" &&
                            from32Bit == "yes");
    }
    EXPECT_TRUE(listed) << text.str();

    handle.reset();
    EXPECT_TRUE(running.service().waitUntil(noHandles, 10s));
}

TEST(ServiceTest, AHubPulledOutUnderAnOpenHandleFailsItsRequestsUntilANewHubIsOpened) {
    RunningService running;
    running.plug();
    auto handle = openThrough(running, kHub0);
    auto session = running.connect();
    ASSERT_TRUE(handle && session);
    const auto word = informationWord(0);
    EXPECT_EQ(ask(*handle, IOCTL_ZOUSB_CONTROL_REQUEST, bytesOf(word), {0, 0}).status,
              STATUS_SUCCESS);

    EXPECT_EQ(session->call<protocol::UnplugReply>(protocol::UnplugRequest{1})->status,
              STATUS_SUCCESS);
    // The hub is surprise-removed; its removal waits for the handle, as on Windows.
    EXPECT_EQ(ask(*handle, IOCTL_ZOUSB_CONTROL_REQUEST, bytesOf(word), {0, 0}).status,
              STATUS_DELETE_PENDING);
    auto status = session->call<protocol::StatusReply>(protocol::StatusRequest{});
    EXPECT_TRUE(status->hubs.empty());
    EXPECT_EQ(status->handles.size(), 1u);  // open until its owner closes it, as on Windows
    EXPECT_EQ(session->call<protocol::UnplugReply>(protocol::UnplugRequest{1})->status,
              STATUS_NO_SUCH_DEVICE);

    const auto refused = session->call<protocol::PlugReply>(protocol::PlugRequest{"sim:speed=low"});
    EXPECT_NE(refused->error.find("speed must be 'high' or 'full'"), std::string::npos);
    const auto plugged = session->call<protocol::PlugReply>(protocol::PlugRequest{"sim:serial=7"});
    ASSERT_TRUE(plugged && plugged->error.empty());
    EXPECT_EQ(plugged->started, STATUS_SUCCESS);
    // Digit 0 still belongs to the device object of the hub pulled out.
    auto fresh = openThrough(running, "\\\\.\\ZOUSB-1");
    ASSERT_TRUE(fresh);
    const auto serialWord = informationWord(4);  // bytes 8 and 9: the serial's low half
    EXPECT_EQ(ask(*fresh, IOCTL_ZOUSB_CONTROL_REQUEST, bytesOf(serialWord), {0, 0}).output,
              (std::vector<std::uint8_t>{7, 0}));

    handle.reset();
    fresh.reset();
    EXPECT_TRUE(running.service().waitUntil(noHandles, 10s));
    EXPECT_EQ(running.machine().outstandingIrps(), 0u);
}

std::vector<std::uint8_t> isoRecord(std::uint32_t packetCount, std::uint32_t perTransfer,
                                    std::uint32_t transfers) {
    const ZOUSB_ISO_TRANSFER record{3, 1024, packetCount, perTransfer, transfers};  // pipe 0x88
    const auto bytes = bytesOf(record);
    return {bytes.begin(), bytes.end()};
}

// Starts a stream, trying again while an earlier one still winds down; its status.
NTSTATUS startStream(platform::DeviceHandle& handle) {
    NTSTATUS status = STATUS_DEVICE_BUSY;
    for (int attempt = 0; attempt < 200 && status == STATUS_DEVICE_BUSY; ++attempt) {
        status = ask(handle, IOCTL_ZOUSB_START_STREAM, isoRecord(256, 8, 4), {}).status;
        if (status == STATUS_DEVICE_BUSY) {
            std::this_thread::sleep_for(10ms);
        }
    }
    return status;
}

TEST(ServiceTest, IsochronousReadsAndStreamsCrossTheServiceAndAStreamEndsWithItsHandle) {
    RunningService running;
    ASSERT_TRUE(running.serving()) << running.error();
    running.plug();
    auto first = openThrough(running, kHub0);
    auto second = openThrough(running, kHub0);
    ASSERT_TRUE(first && second);

    // One shot: the caller's buffer comes back filled with 64 packets and their records.
    constexpr std::size_t kPackets = 64;
    const Answer read = ask(*first, IOCTL_ZOUSB_ISO_READ, isoRecord(kPackets, 8, 4),
                            std::vector<std::uint8_t>(kPackets * (1024 + 12), 0xEE));
    ASSERT_EQ(read.status, STATUS_SUCCESS) << kernel::statusName(read.status);
    for (std::size_t packet = 0; packet < kPackets; ++packet) {
        ZOUSB_PACKET_RECORD record{};
        std::memcpy(&record, read.output.data() + kPackets * 1024 + 12 * packet, sizeof record);
        EXPECT_EQ(record.status, 0) << "packet " << packet;
        EXPECT_GT(record.length, 0u) << "packet " << packet;
    }

    // A stream runs in the service's driver; the hub has one, whoever asks second is refused.
    ASSERT_EQ(startStream(*first), STATUS_SUCCESS);
    EXPECT_EQ(ask(*second, IOCTL_ZOUSB_START_STREAM, isoRecord(256, 8, 4), {}).status,
              STATUS_DEVICE_BUSY);
    std::uint32_t collected = 0;
    for (int poll = 0; poll < 200 && collected == 0; ++poll) {
        std::this_thread::sleep_for(5ms);
        const Answer part = ask(*first, IOCTL_ZOUSB_READ_STREAM, isoRecord(16, 0, 0),
                                std::vector<std::uint8_t>(16 * (1024 + 12)));
        ASSERT_EQ(part.status, STATUS_SUCCESS);
        collected = part.information;
    }
    EXPECT_GT(collected, 0u) << "the stream delivers through the service";

    // Its program ends without stopping it: the service stops it, and the hub is free again.
    first.reset();
    EXPECT_EQ(startStream(*second), STATUS_SUCCESS);
    EXPECT_EQ(ask(*second, IOCTL_ZOUSB_STOP_STREAM, {}, {}).status, STATUS_SUCCESS);
    second.reset();
    EXPECT_TRUE(running.service().waitUntil(noHandles, 10s));
    // The slots' own requests go once each has wound down at its next completion.
    for (int poll = 0; poll < 200 && running.machine().outstandingIrps() != 0; ++poll) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(running.machine().outstandingIrps(), 0u);
}

TEST(ServiceTest, BytesThatAreNoMessageEndTheirOwnConnectionAndNoOther) {
    RunningService running;
    running.plug();
    auto handle = openThrough(running, kHub0);
    ASSERT_TRUE(handle);

    RawConnection reserved(running.socket());
    EXPECT_TRUE(reserved.send(std::vector<std::uint8_t>{0, 0, 0, 0, 1, 0, 0xFF, 0xFF}));
    EXPECT_TRUE(reserved.closedByService());

    RawConnection notGreeted(running.socket());
    EXPECT_TRUE(notGreeted.send(protocol::encode(protocol::Request(protocol::StatusRequest{}))));
    EXPECT_TRUE(notGreeted.closedByService());

    // A header announcing more than its type may hold ends the connection before any body.
    RawConnection oversized(running.socket());
    ASSERT_TRUE(oversized.greet());
    const auto header = protocol::encodeHeader(
        {1u << 20, static_cast<std::uint16_t>(protocol::MessageType::Status)});
    EXPECT_TRUE(oversized.send(header));
    EXPECT_TRUE(oversized.closedByService());

    RawConnection unknown(running.socket());
    ASSERT_TRUE(unknown.greet());
    EXPECT_TRUE(unknown.send(protocol::encodeHeader({0, 0x7777})));
    EXPECT_TRUE(unknown.closedByService());

    // A connection with a handle open that then talks nonsense loses its handle.
    RawConnection opened(running.socket());
    ASSERT_TRUE(opened.greet());
    EXPECT_TRUE(
        opened.send(protocol::encode(protocol::Request(protocol::OpenRequest{false, kHub0}))));
    EXPECT_TRUE(opened.skip(protocol::kHeaderBytes + 4));
    EXPECT_TRUE(running.service().waitUntil(
        [](const auto& status) { return status.handles.size() == 2; }, 10s));
    auto control = protocol::encode(protocol::Request(
        protocol::IoControlRequest{IOCTL_ZOUSB_CONTROL_REQUEST, {1, 2, 3}, 2, {0, 0}}));
    control[protocol::kHeaderBytes + 4] = 100;  // an input length the body does not hold
    EXPECT_TRUE(opened.send(control));
    EXPECT_TRUE(opened.closedByService());
    EXPECT_TRUE(running.service().waitUntil(
        [](const auto& status) { return status.handles.size() == 1; }, 10s));

    const auto word = informationWord(0);
    EXPECT_EQ(ask(*handle, IOCTL_ZOUSB_CONTROL_REQUEST, bytesOf(word), {0, 0}).status,
              STATUS_SUCCESS);
}

TEST(ServiceTest, AClientOfAnotherProtocolVersionIsToldSoAndTurnedAway) {
    RunningService running;
    RawConnection client(running.socket());
    ASSERT_TRUE(client.send(protocol::encode(protocol::Request(protocol::HelloRequest{99}))));
    std::vector<std::uint8_t> reply(protocol::kHeaderBytes + 12);
    ASSERT_TRUE(client.read(reply));
    const auto hello = protocol::decodeReply<protocol::HelloReply>(
        static_cast<std::uint16_t>(reply[4] | reply[5] << 8),
        std::span(reply).subspan(protocol::kHeaderBytes));
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello->status, STATUS_REVISION_MISMATCH);
    EXPECT_EQ(hello->version, protocol::kProtocolVersion);
    EXPECT_TRUE(client.closedByService());
}

TEST(ServiceTest, ProcessesOfAnotherUserAreTurnedAwayBeforeAnythingIsRead) {
    RunningService running({.socketPath = {}, .allowedUser = ::getuid() + 1});
    running.plug();
    platform::KernelStatus status = 0;
    EXPECT_FALSE(protocol::openServiceDevice(running.socket(), kHub0, false, status));
    EXPECT_EQ(status, STATUS_NO_SUCH_DEVICE);
    EXPECT_TRUE(running.service().status().handles.empty());
}

TEST(ServiceTest, AClientThatStopsReadingHoldsUpNobodyAndTheServiceStillStops) {
    auto running = std::make_unique<RunningService>();
    running->plug();
    RawConnection stuck(running->socket());
    ASSERT_TRUE(stuck.greet());
    // Requests whose answers it never reads, until its socket takes no more.
    const auto request = protocol::encode(protocol::Request(protocol::StatusRequest{}));
    int sent = 0;
    while (::send(stuck.fd(), request.data(), request.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
           static_cast<ssize_t>(request.size())) {
        ++sent;
    }
    EXPECT_GT(sent, 100);
    auto handle = openThrough(*running, kHub0);
    ASSERT_TRUE(handle);
    const auto word = informationWord(0);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(ask(*handle, IOCTL_ZOUSB_CONTROL_REQUEST, bytesOf(word), {0, 0}).status,
                  STATUS_SUCCESS);
    }
    handle.reset();
    running.reset();  // ends the stuck connection too; a hang here fails the test by its time limit
}

TEST(ServiceTest, TheSocketFolderMustBeTheUsersAloneAndServesOneServiceAtATime) {
    RunningService running;
    ASSERT_TRUE(running.serving());
    kernel::Machine& machine = running.machine();
    MachineHost host(machine);
    std::string error;
    EXPECT_FALSE(Service::open(host, {running.socket()}, error));
    EXPECT_NE(error.find("another zousbsim serves"), std::string::npos) << error;

    platform::testing::TemporaryFolder open;
    ASSERT_EQ(::chmod(open.path().c_str(), 0755), 0);
    EXPECT_FALSE(Service::open(host, {open.path() / "zousbsim.socket"}, error));
    EXPECT_NE(error.find("is open to other users"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(open.path() / "zousbsim.socket"));
}

// Stops a connection's recording and gathers its transitions from the chunks that follow.
std::optional<hub::Waveform> stopRecording(protocol::ServiceSession& session, NTSTATUS& status) {
    const auto reply = session.call<protocol::RecordStopReply>(protocol::RecordStopRequest{});
    status = reply ? reply->status : STATUS_NO_SUCH_DEVICE;
    if (!reply || !NT_SUCCESS(reply->status)) {
        return std::nullopt;
    }
    hub::Waveform waveform{
        reply->startNanoseconds, reply->endNanoseconds, reply->initialLevels, {}, reply->truncated};
    while (waveform.transitions.size() < reply->transitionCount) {
        const auto chunk = session.receive<protocol::WaveformChunk>();
        if (!chunk) {
            return std::nullopt;
        }
        waveform.transitions.insert(waveform.transitions.end(), chunk->transitions.begin(),
                                    chunk->transitions.end());
    }
    return waveform;
}

TEST(ServiceTest, ARecordingArrivesWholeAndBelongsToTheConnectionThatStartedIt) {
    RunningService running;
    auto clock = std::make_shared<hub::ManualHubClock>();
    running.plug(std::make_shared<hub::SimulatedHub>(
        hub::HubOptions{.inputAHz = 1'000'000, .inputBHz = 0}, clock));
    auto recorder = running.connect();
    auto other = running.connect();
    ASSERT_TRUE(recorder && other);
    EXPECT_EQ(
        recorder->call<protocol::RecordStartReply>(protocol::RecordStartRequest{kHub0, 0})->status,
        STATUS_SUCCESS);
    EXPECT_EQ(
        other->call<protocol::RecordStartReply>(protocol::RecordStartRequest{kHub0, 0})->status,
        STATUS_DEVICE_BUSY);
    EXPECT_EQ(
        other->call<protocol::RecordStartReply>(protocol::RecordStartRequest{"\\\\.\\ZOUSB-5", 0})
            ->status,
        STATUS_OBJECT_NAME_NOT_FOUND);
    EXPECT_TRUE(running.service().status().hubs[0].recording);

    clock->advance(5'000'000);  // 5 ms of a 1 MHz input: 10 000 edges, three chunks' worth
    NTSTATUS status = STATUS_UNSUCCESSFUL;
    const std::optional<hub::Waveform> waveform = stopRecording(*recorder, status);
    ASSERT_TRUE(waveform) << kernel::statusName(status);
    EXPECT_EQ(waveform->endNanoseconds - waveform->startNanoseconds, 5'000'000u);
    EXPECT_EQ(waveform->transitions.size(), 10'000u);
    EXPECT_TRUE(
        std::is_sorted(waveform->transitions.begin(), waveform->transitions.end(),
                       [](const auto& a, const auto& b) { return a.nanoseconds < b.nanoseconds; }));
    stopRecording(*recorder, status);
    EXPECT_EQ(status, STATUS_INVALID_DEVICE_STATE);

    // A recording whose connection ends is discarded with it, and the hub is free again.
    EXPECT_EQ(
        other->call<protocol::RecordStartReply>(protocol::RecordStartRequest{kHub0, 0})->status,
        STATUS_SUCCESS);
    other.reset();
    EXPECT_TRUE(running.service().waitUntil(
        [](const auto& state) { return !state.hubs[0].recording; }, 10s));
    EXPECT_EQ(
        recorder->call<protocol::RecordStartReply>(protocol::RecordStartRequest{kHub0, 0})->status,
        STATUS_SUCCESS);
}

TEST(ServiceTest, AHubUnpluggedWhileRecordedEndsTheRecordingWithDeviceGone) {
    RunningService running;
    running.plug();
    auto recorder = running.connect();
    ASSERT_EQ(
        recorder->call<protocol::RecordStartReply>(protocol::RecordStartRequest{kHub0, 0})->status,
        STATUS_SUCCESS);
    ASSERT_EQ(recorder->call<protocol::UnplugReply>(protocol::UnplugRequest{1})->status,
              STATUS_SUCCESS);
    NTSTATUS status = STATUS_SUCCESS;
    EXPECT_FALSE(stopRecording(*recorder, status));
    EXPECT_EQ(status, STATUS_NO_SUCH_DEVICE);
}

std::uintmax_t sizeOf(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::file_size(file, error);
}

TEST(ServiceTest, TheCaptureStartsAndStopsWhileTheMachineRuns) {
    RunningService running;
    running.plug();
    auto handle = openThrough(running, kHub0);
    auto session = running.connect();
    platform::testing::TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "bus.pcap";
    const auto word = informationWord(0);

    EXPECT_EQ(session->call<protocol::CaptureReply>(protocol::CaptureRequest{"bus.pcap"})->status,
              STATUS_OBJECT_NAME_INVALID);
    ASSERT_EQ(session->call<protocol::CaptureReply>(protocol::CaptureRequest{file})->status,
              STATUS_SUCCESS);
    EXPECT_EQ(running.service().status().capturePath, file.string());
    const std::uintmax_t empty = sizeOf(file);
    ask(*handle, IOCTL_ZOUSB_CONTROL_REQUEST, bytesOf(word), {0, 0});
    const std::uintmax_t captured = sizeOf(file);
    EXPECT_GT(captured, empty);  // the request's submission and completion

    ASSERT_EQ(session->call<protocol::CaptureReply>(protocol::CaptureRequest{""})->status,
              STATUS_SUCCESS);
    EXPECT_TRUE(running.service().status().capturePath.empty());
    ask(*handle, IOCTL_ZOUSB_CONTROL_REQUEST, bytesOf(word), {0, 0});
    EXPECT_EQ(sizeOf(file), captured);

    const auto refused = session->call<protocol::CaptureReply>(
        protocol::CaptureRequest{(folder.path() / "missing" / "bus.pcap").string()});
    EXPECT_EQ(refused->status, STATUS_UNSUCCESSFUL);
    EXPECT_NE(refused->error.find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace zo::zousbsim::testing

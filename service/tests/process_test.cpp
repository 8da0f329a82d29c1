// The shared machine as programs use it, each in a process of its own: two programs on one hub,
// programs that die, a service that dies, hubs left running, and zousbsim's own commands. Every
// test has its own socket in its own private folder, so no two tests or test runs ever meet.

#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

#include "service/tests/child_process.h"
#include "service/tests/running_service.h"

namespace zo::zousbsim::testing {
namespace {

using namespace std::chrono_literals;

bool noHandles(const platform::service::StatusReply& status) {
    return status.handles.empty();
}

struct RegisterWrite {
    std::uint8_t reg;
    std::uint8_t value;
};

// A simulated hub that notes every register write it takes while noting is on.
class NotingHub : public usb::UsbDevice {
  public:
    std::atomic<bool> noting = false;

    std::vector<RegisterWrite> writes() const {
        std::lock_guard lock(mutex_);
        return writes_;
    }
    usb::Speed speed() const override { return hub_.speed(); }
    usb::TransferResult control(const usb::SetupPacket& setup,
                                std::span<std::uint8_t> data) override {
        if (noting && setup.request == 0xFB) {
            std::lock_guard lock(mutex_);
            writes_.push_back({static_cast<std::uint8_t>(setup.value & 0xFF),
                               static_cast<std::uint8_t>(setup.index >> 8)});
        }
        return hub_.control(setup, data);
    }
    usb::TransferResult transfer(std::uint8_t endpoint, std::span<std::uint8_t> data) override {
        return hub_.transfer(endpoint, data);
    }
    void portReset() override { hub_.portReset(); }

  private:
    hub::SimulatedHub hub_;
    mutable std::mutex mutex_;
    std::vector<RegisterWrite> writes_;
};

struct ProgramRun {
    int exitStatus;
    std::string out;
};

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::vector<std::string>& environment) {
    ChildProcess child(program, arguments, environment);
    std::string out = child.readAll();
    return {child.wait(), std::move(out)};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(SharedMachineProcessTest, TwoProgramsOnOneHubTakeTurnsUnderTheAccessLock) {
    RunningService running;
    auto hub = std::make_shared<NotingHub>();
    running.plug(hub);
    ChildProcess first(TEST_CLIENT_PATH, {}, {running.environmentVariable()});
    ChildProcess second(TEST_CLIENT_PATH, {}, {running.environmentVariable()});
    for (ChildProcess* program : {&first, &second}) {
        program->send("qn-open 1");
        ASSERT_EQ(program->readLine(), "qn-open 0");
    }
    ASSERT_EQ(running.service().status().handles.size(), 2u);

    // Each restart is a sequence of register writes from "all off" to its own mask: 0x40 <- 0,
    // the start register of each of its channels, 0x40 <- mask.
    constexpr int kRestarts = 100;
    hub->noting = true;
    first.send("qn-restart 0x0F " + std::to_string(kRestarts));
    second.send("qn-restart 0xF0 " + std::to_string(kRestarts));
    EXPECT_EQ(first.readLine(60s), "qn-restart 0");
    EXPECT_EQ(second.readLine(60s), "qn-restart 0");
    hub->noting = false;

    const std::set<std::uint8_t> firstStarts{3, 7, 11, 15};
    const std::set<std::uint8_t> secondStarts{19, 23, 27, 31};
    const auto ownerOf = [&](const RegisterWrite& write) {
        if (write.reg == 0x40) {
            return write.value == 0x0F ? 0 : write.value == 0xF0 ? 1 : -1;
        }
        return firstStarts.contains(write.reg) ? 0 : secondStarts.contains(write.reg) ? 1 : -1;
    };
    constexpr int kNobody = -2;
    constexpr int kNotYetKnown = -1;
    int inside = kNobody;
    std::array<int, 2> sequences{};
    const std::vector<RegisterWrite> writes = hub->writes();
    ASSERT_EQ(writes.size(), std::size_t{2 * kRestarts * 6});
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (writes[i].reg == 0x40 && writes[i].value == 0) {
            ASSERT_EQ(inside, kNobody) << "a sequence began inside another at write " << i;
            inside = kNotYetKnown;
            continue;
        }
        const int owner = ownerOf(writes[i]);
        ASSERT_NE(owner, -1) << "write " << i << " belongs to nobody";
        ASSERT_NE(inside, kNobody) << "write " << i << " outside any sequence";
        ASSERT_TRUE(inside == kNotYetKnown || inside == owner)
            << "program " << owner << " wrote inside the other's sequence at write " << i;
        inside = owner;
        if (writes[i].reg == 0x40) {
            ++sequences[static_cast<std::size_t>(owner)];
            inside = kNobody;
        }
    }
    EXPECT_EQ(sequences[0], kRestarts);
    EXPECT_EQ(sequences[1], kRestarts);
}

TEST(SharedMachineProcessTest, AProgramKilledWithARequestInFlightHasItsHandleClosedCleanly) {
    RunningService running;
    running.plug();
    ChildProcess program(TEST_CLIENT_PATH, {}, {running.environmentVariable()});
    program.send("open 0");
    ASSERT_EQ(program.readLine(), "open STATUS_SUCCESS");
    const std::size_t pooled = running.machine().pool().outstanding();
    ASSERT_EQ(running.service().status().handles.at(0).processId, program.pid());

    kernel::UsbBus& bus = running.machine().bus();
    bus.holdCompletions(true);
    program.send("read 40");
    ASSERT_TRUE(bus.waitUntilQueued(1, 10s));
    program.kill(SIGKILL);
    program.wait();
    // The request still completes; its answer has nowhere to go, and the handle is closed.
    bus.holdCompletions(false);
    EXPECT_TRUE(running.service().waitUntil(noHandles, 10s));
    EXPECT_EQ(running.machine().outstandingIrps(), 0u);
    EXPECT_EQ(running.machine().pool().outstanding(), pooled);
}

TEST(SharedMachineProcessTest, OutputsStayOnWhenTheirProgramEndsAndARecordingShowsThem) {
    RunningService running;
    running.plug();
    {
        ChildProcess program(TEST_CLIENT_PATH, {}, {running.environmentVariable()});
        program.send("qn-open 1");
        ASSERT_EQ(program.readLine(), "qn-open 0");
        program.send("qn-train 0 30 20");  // 1 MHz on output 0
        ASSERT_EQ(program.readLine(), "qn-train 0");
        program.send("exit");  // ends without closing anything
        EXPECT_EQ(program.wait(), 0);
    }
    EXPECT_TRUE(running.service().waitUntil(noHandles, 10s));

    platform::testing::TemporaryFolder folder;
    const std::string vcd = (folder.path() / "out.vcd").string();
    const ProgramRun recorded =
        runProgram(ZOUSBDIAG_PATH, {"record", "0", "3", vcd}, {running.environmentVariable()});
    ASSERT_EQ(recorded.exitStatus, 0) << recorded.out;
    // Three milliseconds of a 1 MHz output are about 6000 edges; the inputs give a dozen.
    // "Recorded 3000000 ns (3 ms), 6012 transitions, ..."
    std::istringstream summary(recorded.out);
    std::string word;
    std::uint64_t nanoseconds = 0;
    std::uint64_t transitions = 0;
    summary >> word >> nanoseconds;
    summary.ignore(recorded.out.size(), ',');
    summary >> transitions;
    EXPECT_GT(transitions, nanoseconds / 1000);
    std::ifstream file(vcd);
    EXPECT_TRUE(file.good());

    // Recording opened nothing, so nothing was reset: the output is still enabled.
    ChildProcess reader(TEST_CLIENT_PATH, {}, {running.environmentVariable()});
    reader.send("open 0");
    ASSERT_EQ(reader.readLine(), "open STATUS_SUCCESS");
    reader.send("read 40");
    EXPECT_EQ(reader.readLine(), "read STATUS_SUCCESS 1");

    // zousbdiag leaves outputs on the same way when told to.
    const ProgramRun left = runProgram(ZOUSBDIAG_PATH,
                                       {"outputs", "1", "open", "2", "--set", "1:HIGH_TIME=30",
                                        "--set", "1:LOW_TIME=20", "--leave-open"},
                                       {running.environmentVariable()});
    ASSERT_EQ(left.exitStatus, 0) << left.out;
    reader.send("read 40");
    EXPECT_EQ(reader.readLine(), "read STATUS_SUCCESS 2");
}

TEST(SharedMachineProcessTest, AKilledServiceGivesDeviceGoneAndARestartedOneIsFoundByNewOpens) {
    platform::testing::TemporaryFolder folder;
    const std::vector<std::string> environment{
        "ZOUSB_SERVICE=" + (folder.path() / "zousbsim.socket").string(), "ZOUSB_DEVICES=sim"};
    auto service = std::make_unique<ChildProcess>(
        ZOUSBSIM_PATH, std::vector<std::string>{"run", "--ready-fd", "1"}, environment);
    ASSERT_EQ(service->readLine(), "ready");
    ChildProcess program(TEST_CLIENT_PATH, {}, environment);
    program.send("open 0");
    ASSERT_EQ(program.readLine(), "open STATUS_SUCCESS");

    service->kill(SIGKILL);
    service->wait();
    program.send("read 40");
    EXPECT_EQ(program.readLine(5s), "read STATUS_NO_SUCH_DEVICE 0");
    program.send("open 0");
    EXPECT_EQ(program.readLine(5s), "open STATUS_NO_SUCH_DEVICE");

    // The new service takes over the socket and the lock the killed one left behind.
    service = std::make_unique<ChildProcess>(
        ZOUSBSIM_PATH, std::vector<std::string>{"run", "--ready-fd", "1"}, environment);
    ASSERT_EQ(service->readLine(), "ready");
    program.send("open 0");
    EXPECT_EQ(program.readLine(), "open STATUS_SUCCESS");
    program.send("read 40");
    EXPECT_EQ(program.readLine(), "read STATUS_SUCCESS 0");
    program.send("close");
    EXPECT_EQ(program.readLine(), "closed");
    service->kill(SIGTERM);
    EXPECT_EQ(service->wait(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "zousbsim.socket"));
}

TEST(SharedMachineProcessTest, WithoutAServiceEachProgramHasAMachineOfItsOwn) {
    platform::testing::TemporaryFolder folder;
    for (const std::string& service :
         {"ZOUSB_SERVICE=" + (folder.path() / "nobody.socket").string(),
          std::string("ZOUSB_SERVICE=")}) {
        ChildProcess program(TEST_CLIENT_PATH, {}, {service, "ZOUSB_DEVICES=sim;sim"});
        program.send("open 1");
        EXPECT_EQ(program.readLine(), "open STATUS_SUCCESS") << service;
        program.send("open 2");
        EXPECT_EQ(program.readLine(), "open STATUS_OBJECT_NAME_NOT_FOUND") << service;
    }
}

// Stops the service started in the test's folder, however the test ends.
class StopsService {
  public:
    explicit StopsService(std::vector<std::string> environment)
        : environment_(std::move(environment)) {}
    ~StopsService() { runProgram(ZOUSBSIM_PATH, {"stop"}, environment_); }
    StopsService(const StopsService&) = delete;
    StopsService& operator=(const StopsService&) = delete;

  private:
    std::vector<std::string> environment_;
};

TEST(SharedMachineProcessTest, ZousbsimStartsPlugsUnplugsReportsAndStops) {
    platform::testing::TemporaryFolder folder;
    const auto socket = folder.path() / "run" / "zousbsim.socket";
    const std::vector<std::string> environment{"ZOUSB_SERVICE=" + socket.string(),
                                               "ZOUSB_DEVICES=sim"};
    const ProgramRun started = runProgram(ZOUSBSIM_PATH, {"start"}, environment);
    const StopsService stopsAtTheEnd(environment);
    ASSERT_EQ(started.exitStatus, 0) << started.out;
    EXPECT_TRUE(contains(started.out, "zousbsim: started")) << started.out;
    struct stat folderStatus {};
    ASSERT_EQ(::stat(socket.parent_path().c_str(), &folderStatus), 0);
    EXPECT_EQ(folderStatus.st_mode & 0777, 0700u);
    EXPECT_TRUE(contains(runProgram(ZOUSBSIM_PATH, {"start"}, environment).out, "already running"));

    const ProgramRun plugged = runProgram(ZOUSBSIM_PATH, {"plug", "sim:speed=full"}, environment);
    EXPECT_EQ(plugged.out, "Plugged in on port 2 as \\\\.\\ZOUSB-1\n");
    EXPECT_TRUE(contains(runProgram(ZOUSBDIAG_PATH, {"list"}, environment).out, "2 hubs found."));
    const ProgramRun status = runProgram(ZOUSBSIM_PATH, {"status"}, environment);
    EXPECT_TRUE(contains(status.out, "2     \\\\.\\ZOUSB-1  full   sim:speed=full")) << status.out;
    EXPECT_EQ(runProgram(ZOUSBSIM_PATH, {"unplug", "1"}, environment).exitStatus, 0);
    EXPECT_EQ(runProgram(ZOUSBSIM_PATH, {"unplug", "9"}, environment).exitStatus, 1);
    EXPECT_TRUE(contains(runProgram(ZOUSBDIAG_PATH, {"list"}, environment).out, "1 hub found."));

    const ProgramRun stopped = runProgram(ZOUSBSIM_PATH, {"stop"}, environment);
    EXPECT_EQ(stopped.out, "zousbsim: stopped\n");
    EXPECT_FALSE(std::filesystem::exists(socket));
    EXPECT_EQ(runProgram(ZOUSBSIM_PATH, {"status"}, environment).exitStatus, 1);
}

TEST(SharedMachineProcessTest, ZousbsimRefusesAFolderOthersCanOpenAndABrokenConfiguration) {
    platform::testing::TemporaryFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    const std::string socket = "ZOUSB_SERVICE=" + (folder.path() / "zousbsim.socket").string();
    const ProgramRun open = runProgram(ZOUSBSIM_PATH, {"run", "--ready-fd", "1"}, {socket});
    EXPECT_EQ(open.exitStatus, 1);
    EXPECT_TRUE(contains(open.out, "is open to other users")) << open.out;

    ASSERT_EQ(::chmod(folder.path().c_str(), 0700), 0);
    const ProgramRun broken = runProgram(ZOUSBSIM_PATH, {"run", "--ready-fd", "1"},
                                         {socket, "ZOUSB_DEVICES=sim:speed=low"});
    EXPECT_EQ(broken.exitStatus, 1);
    EXPECT_TRUE(contains(broken.out, "speed must be 'high' or 'full'")) << broken.out;
}

}  // namespace
}  // namespace zo::zousbsim::testing

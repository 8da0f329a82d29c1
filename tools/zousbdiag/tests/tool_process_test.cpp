// Runs the built zousbdiag as a support engineer would, each time in a fresh process whose
// simulated machine comes from ZOUSB_DEVICES.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/named_lock.h"
#include "tools/zousbdiag/tests/tool_run.h"

namespace {

using zousbdiag::testing_support::contains;
using zousbdiag::testing_support::RunningTool;
using zousbdiag::testing_support::runTool;
using zousbdiag::testing_support::ToolRun;

TEST(ZousbdiagTool, ListsEveryHubWithSpeedIdentifiersAndInformationBlock) {
    const ToolRun run = runTool("sim;sim:speed=full,serial=0x1234;sim:info=0,pid=0x1111", {"list"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    EXPECT_TRUE(contains(run.out,
                         "Instance  Device       Speed  Vendor  Product  Serial      "
                         "Firmware\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out,
                         "0         \\\\.\\ZOUSB-0  high   0x5A4F  0x4345   0x00000001  "
                         "0x0100\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out,
                         "1         \\\\.\\ZOUSB-1  full   0x5A4F  0x4345   0x00001234  "
                         "0x0100\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out,
                         "2         \\\\.\\ZOUSB-2  high   0x5A4F  0x1111   -           "
                         "-         (no information block)\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "3 hubs found.\n")) << run.out;
}

TEST(ZousbdiagTool, SaysSoWhenNoHubIsPluggedIn) {
    const ToolRun run = runTool("", {"list"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "No hubs found")) << run.out;
}

TEST(ZousbdiagTool, SendsAnyIoControlCodeAndShowsStatusInformationAndBytes) {
    const ToolRun version = runTool("sim", {"ioctl", "0", "0x222074", "--out", "6"});
    EXPECT_EQ(version.exitStatus, 0) << version.err;
    EXPECT_TRUE(contains(version.out, "Status       STATUS_SUCCESS (0x00000000)\n")) << version.out;
    EXPECT_TRUE(contains(version.out, "Information  6\n")) << version.out;
    EXPECT_TRUE(contains(version.out, "  0000  01 00 0a 00 00 00\n")) << version.out;

    // Information word 1 holds "VI" of the information block.
    const ToolRun vendor = runTool(
        "sim", {"ioctl", "0", "0x222059", "--in", "01 02 00 00 f0 00 01 00 00 00", "--out", "2"});
    EXPECT_EQ(vendor.exitStatus, 0) << vendor.err;
    EXPECT_TRUE(contains(vendor.out, "  0000  56 49\n")) << vendor.out;

    const ToolRun tooShort = runTool("sim", {"ioctl", "0", "0x222074", "--out", "5"});
    EXPECT_EQ(tooShort.exitStatus, 1);
    EXPECT_TRUE(contains(tooShort.out, "Status       STATUS_UNSUCCESSFUL (0xC0000001)\n"))
        << tooShort.out;
    EXPECT_TRUE(contains(tooShort.err, "the request failed: STATUS_UNSUCCESSFUL")) << tooShort.err;
}

TEST(ZousbdiagTool, ShowsDescriptorsVersionAndLastUsbStatus) {
    const ToolRun descriptors = runTool("sim:serial=0xCAFE", {"descriptors", "0"});
    EXPECT_EQ(descriptors.exitStatus, 0) << descriptors.err;
    EXPECT_TRUE(contains(descriptors.out, "Configuration descriptor (46 bytes)\n"));
    EXPECT_TRUE(contains(descriptors.out, "Endpoint 0x86 IN  bulk        max packet 512"));
    EXPECT_TRUE(contains(descriptors.out, "  2  \"Kestrava Quintel\"\n")) << descriptors.out;
    EXPECT_TRUE(contains(descriptors.out, "  3  \"0000CAFE\"\n")) << descriptors.out;

    const ToolRun version = runTool("sim", {"version", "0"});
    EXPECT_EQ(version.exitStatus, 0) << version.err;
    EXPECT_EQ(version.out, "Driver version 1.10.0\n");

    const ToolRun lastStatus = runTool("sim", {"last-status", "0"});
    EXPECT_EQ(lastStatus.exitStatus, 0) << lastStatus.err;
    EXPECT_EQ(lastStatus.out, "Last USB status 0x00000000 (no USB request has failed)\n");
}

TEST(ZousbdiagTool, EnumeratesThroughTheLibraryWithEachRecord) {
    const ToolRun run =
        runTool("sim:serial=0xCAFE;sim:pid=0x1111;sim:speed=full,info=0", {"enumerate"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out,
                         "Id  Device       Kind  Serial      Firmware  Speed  Open  "
                         "Record\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out,
                         "1   \\\\.\\ZOUSB-0  1     0x0000CAFE  0x0100    high   no    "
                         "0 1 1 51966 256 0 20\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out,
                         "3   \\\\.\\ZOUSB-2  1     0x00000000  0x0000    full   no    "
                         "0 1 3 0 0 0 11  (no information block)\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "2 devices found.\n")) << run.out;
    EXPECT_EQ(runTool("", {"enumerate"}).out, "No devices found.\n");
}

TEST(ZousbdiagTool, ShowsDeviceInformationHardwareErrorAndSettings) {
    const ToolRun info = runTool("sim:speed=full,serial=7", {"device-info", "1"});
    EXPECT_EQ(info.exitStatus, 0) << info.err;
    EXPECT_EQ(info.out,
              "0 kind         1\n1 identifier   1\n2 constant     1\n3 serial       7\n"
              "4 firmware     256\n5 speed code   11\nHardware error  0: Successfull Operation.\n");

    const ToolRun error = runTool("sim", {"hardware-error", "1"});
    EXPECT_EQ(error.out, "Hardware error  0: Successfull Operation.\n");

    const ToolRun settings = runTool("sim", {"settings", "1"});
    EXPECT_EQ(settings.exitStatus, 0) << settings.err;
    EXPECT_TRUE(contains(settings.out, "Default settings\nSize marker  1028\n")) << settings.out;
    EXPECT_TRUE(contains(settings.out, "\nCurrent settings\nSize marker  1028\n"));
    EXPECT_TRUE(contains(settings.out, "Measurement  input 1 (input A), mode 0, edge 0\n"));
    EXPECT_TRUE(contains(settings.out, "PULSE_COUNT           1          1")) << settings.out;

    const ToolRun missing = runTool("sim", {"settings", "2"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_TRUE(contains(missing.err, "no device with identifier 2")) << missing.err;
}

TEST(ZousbdiagTool, ReadsAndWritesRegistersThroughTheLibrary) {
    const ToolRun write = runTool("sim", {"write-register", "1", "0x50", "0xAB"});
    EXPECT_EQ(write.exitStatus, 0) << write.err;
    EXPECT_EQ(write.out, "Register 0x50 <- 0xAB\n");
    // Each run is a fresh machine whose hub the open resets: a register no program uses reads 0.
    const ToolRun read = runTool("sim", {"read-register", "1", "0x50"});
    EXPECT_EQ(read.exitStatus, 0) << read.err;
    EXPECT_EQ(read.out, "Register 0x50 = 0x00 (0)\n");
}

TEST(ZousbdiagTool, FailsClearlyOnAMissingHubABrokenMachineOrABadCommandLine) {
    const ToolRun missing = runTool("sim", {"version", "3"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_TRUE(contains(missing.err, "\\\\.\\ZOUSB-3: no such hub (STATUS_OBJECT_NAME_NOT_FOUND"))
        << missing.err;

    const ToolRun malformed = runTool("sim;sim:speed=low", {"list"});
    EXPECT_EQ(malformed.exitStatus, 1);
    EXPECT_TRUE(contains(malformed.err, "speed must be 'high' or 'full', not 'low'"))
        << malformed.err;
    EXPECT_TRUE(malformed.out.empty()) << malformed.out;

    const ToolRun badHex = runTool("sim", {"ioctl", "0", "0x222074", "--in", "0g"});
    EXPECT_EQ(badHex.exitStatus, 2);
    EXPECT_TRUE(contains(badHex.err, "'g' at position 2 is not a hexadecimal digit")) << badHex.err;

    const ToolRun unknown = runTool("sim", {"frobnicate"});
    EXPECT_EQ(unknown.exitStatus, 2);
    EXPECT_TRUE(contains(unknown.err, "unknown command 'frobnicate'")) << unknown.err;

    const ToolRun help = runTool("sim", {"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_TRUE(contains(help.out, "ioctl N CODE [--in HEX] [--out LENGTH] [--32bit]"));
}

TEST(ZousbdiagNumbering, ListingsSayWhichNumberACommandTakesAndWhyAHubIsNotEnumerated) {
    const ToolRun list = runTool("sim;sim", {"list"});
    EXPECT_TRUE(contains(list.out,
                         "2 hubs found.\nInstance is the N of descriptors, ioctl, "
                         "version and last-status"))
        << list.out;

    const ToolRun run = runTool("sim;sim:pid=0x1234;sim;sim;sim;sim:speed=full", {"enumerate"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out,
                         "4 devices found.\nId is the device identifier (1 to 5) that "
                         "device-info, settings, set"))
        << run.out;
    EXPECT_TRUE(contains(run.out,
                         "Not listed, though they open:\n"
                         "  \\\\.\\ZOUSB-1 (instance 1): product identifier 0x1234 is "
                         "not the hub's 0x4345\n"
                         "  \\\\.\\ZOUSB-5 (instance 5): the library probes instances 0 "
                         "to 4 only\n"))
        << run.out;

    const ToolRun nine = runTool("sim;sim;sim;sim;sim;sim;sim;sim;sim", {"list"});
    EXPECT_EQ(nine.exitStatus, 1);
    EXPECT_TRUE(contains(nine.err, "ZOUSB_DEVICES lists 9 hubs; a machine takes at most 8 hubs"))
        << nine.err;

    const ToolRun version = runTool("sim", {"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_TRUE(version.out.starts_with("zousbdiag ")) << version.out;
}

// Another program holds the access lock of slot 0 (in this test run's lock folder, which the
// tool inherits): the tool says which lock it waits for, and goes on once it is free.
TEST(ZousbdiagTool, SaysWhichAccessLockItWaitsForAndWhenItGotIt) {
    auto otherProgram = zo::platform::NamedLock::open("ZoDevAccessFlag_000");
    ASSERT_TRUE(otherProgram && otherProgram->acquire(std::chrono::milliseconds(0)));
    RunningTool tool("sim", {"outputs", "1", "open", "1"});
    bool told = false;
    for (int wait = 0; wait < 10000 && !told; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        told = contains(tool.errorsSoFar(), "waiting for the access lock ZoDevAccessFlag_000 (");
    }
    otherProgram->release();
    const ToolRun run = tool.finish();
    EXPECT_TRUE(told) << run.err;
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.err, "zousbdiag: got the access lock ZoDevAccessFlag_000 after "))
        << run.err;
}

}  // namespace

// The usbmon capture of a whole session with a hub (plug and play, a register write, removal)
// reads back in tshark with the vendor request's fields as sent.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "driver/tests/driver_test_support.h"
#include "kernel/tests/shell_output.h"

namespace zo::test {
namespace {

TEST(DriverCapture, TsharkShowsTheRegisterWriteAsSent) {
    if (shellOutput("command -v tshark").empty()) {
        GTEST_SKIP() << "tshark is not installed";
    }
    const auto path = std::filesystem::temp_directory_path() /
                      ("zousb-capture-" + std::to_string(::getpid()) + ".pcap");
    {
        kernel::Machine machine(kernel::MachineOptions{
            DriverEntry, kernel::BusCompletion::Deferred, 0x600, path.string(), {}});
        const auto plugged = machine.pnp().plugIn(std::make_shared<hub::SimulatedHub>());
        ASSERT_EQ(plugged.started, STATUS_SUCCESS);
        std::shared_ptr<kernel::OpenFile> file;
        ASSERT_EQ(machine.io().open("\\\\.\\ZOUSB-0", false, file), STATUS_SUCCESS);
        const std::vector<std::uint8_t> record{1, 2, 0, 0, 0xFB, 0, 0xFF, 0xC0, 0x00, 0xAB};
        std::vector<std::uint8_t> answer(1);
        ASSERT_EQ(
            machine.io().deviceControl(*file, IOCTL_ZOUSB_CONTROL_REQUEST, record, answer).status,
            STATUS_SUCCESS);
        machine.io().close(*file);
    }
    const std::string tshark = "tshark -r '" + path.string() + "' ";
    // tshark prints some fields in hexadecimal and some in decimal.
    std::istringstream fields(
        shellOutput(tshark + "-Y 'usb.setup.bRequest == 0xfb' -T fields -E separator=' ' "
                             "-e usb.bmRequestType -e usb.setup.wValue "
                             "-e usb.setup.wIndex -e usb.setup.wLength"));
    std::vector<unsigned long> values;
    for (std::string field; fields >> field;) {
        values.push_back(std::stoul(field, nullptr, 0));
    }
    EXPECT_EQ(values, (std::vector<unsigned long>{0xC0, 0xC0FF, 0xAB00, 1}));
    EXPECT_EQ(shellOutput(tshark + "-Y '_ws.malformed || _ws.expert.severity >= error'"), "");
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace zo::test

// The installation file of the kernel-mode build, zousbdrv.inf: Windows installs the driver for
// the hardware identifier it lists, which must be the one the hub enumerates with.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "hub/descriptors.h"

namespace zo::test {
namespace {

std::string infText() {
    std::ifstream file(ZOUSBDRV_INF);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// "USB\VID_vvvv&PID_pppp" as Windows forms the hardware identifier of a USB device.
std::string hardwareId(const hub::DeviceDescriptor& descriptor) {
    const unsigned vendor = descriptor[8] | descriptor[9] << 8;
    const unsigned product = descriptor[10] | descriptor[11] << 8;
    char id[32];
    std::snprintf(id, sizeof id, "USB\\VID_%04X&PID_%04X", vendor, product);
    return id;
}

TEST(DriverInfTest, InstallsTheDriverForTheHubsHardwareIdentifierOnX64) {
    const std::string inf = infText();
    ASSERT_FALSE(inf.empty()) << ZOUSBDRV_INF;
    std::smatch model;
    ASSERT_TRUE(std::regex_search(inf, model, std::regex(R"(\n\[Quintel\.NTamd64\]\n([^\n]*)\n)")));
    const std::string line = model[1];
    EXPECT_NE(line.find("= Hub_Install, " + hardwareId(hub::deviceDescriptor({}))),
              std::string::npos)
        << line;
}

TEST(DriverInfTest, TheServiceIsAKernelDriverOfTheFileItCopies) {
    const std::string inf = infText();
    EXPECT_NE(inf.find("\nzousbdrv.sys = 1\n"), std::string::npos);
    EXPECT_NE(inf.find("\n[Hub_CopyFiles]\nzousbdrv.sys\n"), std::string::npos);
    EXPECT_NE(inf.find("\nAddService = zousbdrv, 0x00000002, Hub_Service"), std::string::npos);
    EXPECT_TRUE(std::regex_search(inf, std::regex(R"(\nServiceType += 1 )")));
    EXPECT_NE(inf.find("\nServiceBinary = %13%\\zousbdrv.sys\n"), std::string::npos);
}

}  // namespace
}  // namespace zo::test

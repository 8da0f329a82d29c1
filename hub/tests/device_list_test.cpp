#include <gtest/gtest.h>

#include "hub/device_list.h"

namespace zo::hub {
namespace {

using zo::usb::Speed;

TEST(DeviceList, UnsetMeansOneDefaultHubEmptyMeansNoneAndEightIsTheMost) {
    const DeviceList unset = parseDeviceList(nullptr);
    ASSERT_TRUE(unset.ok());
    ASSERT_EQ(unset.hubs.size(), 1u);
    EXPECT_EQ(unset.hubs[0], HubOptions{});

    const DeviceList empty = parseDeviceList("");
    EXPECT_TRUE(empty.ok());
    EXPECT_TRUE(empty.hubs.empty());

    EXPECT_EQ(parseDeviceList("sim;sim;sim;sim;sim;sim;sim;sim").hubs.size(), 8u);
}

TEST(DeviceList, ReadsEveryOptionInOrder) {
    const DeviceList list = parseDeviceList(
        "sim;sim:speed=full,pid=0x1234,info=0,serial=4294967295,firmware=0X0A0B,a=0.5,b=0;"
        "sim:pid=17185,speed=high");
    ASSERT_TRUE(list.ok()) << list.error;
    ASSERT_EQ(list.hubs.size(), 3u);
    EXPECT_EQ(list.hubs[0], HubOptions{});
    const HubOptions& second = list.hubs[1];
    EXPECT_EQ(second.speed, Speed::Full);
    EXPECT_EQ(second.productId, 0x1234);
    EXPECT_FALSE(second.hasInfoBlock);
    EXPECT_EQ(second.serial, 0xFFFFFFFFu);
    EXPECT_EQ(second.firmware, 0x0A0B);
    EXPECT_EQ(second.inputAHz, 0.5);
    EXPECT_EQ(second.inputBHz, 0.0);
    EXPECT_EQ(list.hubs[2].productId, 0x4321);
    EXPECT_EQ(list.hubs[2].speed, Speed::High);
}

struct Refusal {
    const char* value;
    const char* message;  // the whole error text
};

// Names each case in test output by the value refused.
void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << '"' << refusal.value << '"';
}

class DeviceListRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(DeviceListRefusal, PlugsNoHubAndSaysWhy) {
    const DeviceList list = parseDeviceList(GetParam().value);
    EXPECT_FALSE(list.ok());
    EXPECT_TRUE(list.hubs.empty());
    EXPECT_EQ(list.error, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, DeviceListRefusal,
    testing::Values(
        Refusal{"usb",
                "ZOUSB_DEVICES entry 1 'usb': must be 'sim', optionally followed by ':' "
                "and key=value options"},
        Refusal{"sim;;sim", "ZOUSB_DEVICES entry 2 '': is empty"},
        Refusal{"sim;sim;sim;sim;sim;sim;sim;sim;sim",
                "ZOUSB_DEVICES lists 9 hubs; a machine takes at most 8 hubs (\\\\.\\ZOUSB-0 to "
                "\\\\.\\ZOUSB-7)"},
        Refusal{"sim;", "ZOUSB_DEVICES entry 2 '': is empty"},
        Refusal{" sim",
                "ZOUSB_DEVICES entry 1 ' sim': must be 'sim', optionally followed by ':' "
                "and key=value options"},
        Refusal{"sim:", "ZOUSB_DEVICES entry 1 'sim:': option '' is not key=value"},
        Refusal{"sim:speed", "ZOUSB_DEVICES entry 1 'sim:speed': option 'speed' is not key=value"},
        Refusal{"sim:pid=", "ZOUSB_DEVICES entry 1 'sim:pid=': option 'pid=' is not key=value"},
        Refusal{"sim:=1", "ZOUSB_DEVICES entry 1 'sim:=1': option '=1' is not key=value"},
        Refusal{"sim:colour=red",
                "ZOUSB_DEVICES entry 1 'sim:colour=red': unknown option "
                "'colour' (known: speed, pid, info, serial, firmware, a, b)"},
        Refusal{"sim:a=1,a=2", "ZOUSB_DEVICES entry 1 'sim:a=1,a=2': option 'a' is given twice"},
        Refusal{"sim:speed=low",
                "ZOUSB_DEVICES entry 1 'sim:speed=low': speed must be 'high' or "
                "'full', not 'low'"},
        Refusal{"sim:info=yes",
                "ZOUSB_DEVICES entry 1 'sim:info=yes': info must be 0 or 1, not 'yes'"},
        Refusal{"sim:pid=0x",
                "ZOUSB_DEVICES entry 1 'sim:pid=0x': pid '0x' is not a decimal or "
                "0x-hexadecimal number"},
        Refusal{"sim:pid=12ab",
                "ZOUSB_DEVICES entry 1 'sim:pid=12ab': pid '12ab' is not a "
                "decimal or 0x-hexadecimal number"},
        Refusal{"sim:serial=-1",
                "ZOUSB_DEVICES entry 1 'sim:serial=-1': serial '-1' is not a "
                "decimal or 0x-hexadecimal number"},
        Refusal{"sim:pid=0x10000",
                "ZOUSB_DEVICES entry 1 'sim:pid=0x10000': pid '0x10000' is out "
                "of range (0 to 65535)"},
        Refusal{"sim:firmware=65536",
                "ZOUSB_DEVICES entry 1 'sim:firmware=65536': firmware "
                "'65536' is out of range (0 to 65535)"},
        Refusal{"sim:serial=4294967296",
                "ZOUSB_DEVICES entry 1 'sim:serial=4294967296': serial "
                "'4294967296' is out of range (0 to 4294967295)"},
        Refusal{"sim:serial=99999999999999999999999",
                "ZOUSB_DEVICES entry 1 'sim:serial=99999999999999999999999': serial "
                "'99999999999999999999999' is not a decimal or 0x-hexadecimal number"},
        Refusal{"sim;sim:a=-5",
                "ZOUSB_DEVICES entry 2 'sim:a=-5': a '-5' is not a frequency in "
                "hertz (digits with an optional decimal fraction)"},
        Refusal{"sim:b=1e3",
                "ZOUSB_DEVICES entry 1 'sim:b=1e3': b '1e3' is not a frequency in "
                "hertz (digits with an optional decimal fraction)"},
        Refusal{"sim:b=5.",
                "ZOUSB_DEVICES entry 1 'sim:b=5.': b '5.' is not a frequency in hertz "
                "(digits with an optional decimal fraction)"},
        Refusal{"sim:a=inf",
                "ZOUSB_DEVICES entry 1 'sim:a=inf': a 'inf' is not a frequency in "
                "hertz (digits with an optional decimal fraction)"},
        Refusal{"sim:a=25000000.5",
                "ZOUSB_DEVICES entry 1 'sim:a=25000000.5': a '25000000.5' is "
                "out of range (0 to 25000000 hertz)"}));

}  // namespace
}  // namespace zo::hub

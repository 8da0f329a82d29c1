// From the program's units to the hub's: pulse durations in ticks or clock transitions, delays,
// and the program modes as library modes.

#include "app/core/device_units.h"

#include <gtest/gtest.h>

#include "app/core/device_config.h"

namespace zo::quintel {
namespace {

TEST(DeviceUnits, MicrosecondsBecomeFiftyTicksEachWithTheWidthInsideThePeriod) {
    EXPECT_EQ(PulseTimingOf(kModeInternal, 100, 40), (PulseTiming{2000, 3000}));
    EXPECT_EQ(PulseTimingOf(kModeInternal, 100, 0), (PulseTiming{50, 4950}));
    EXPECT_EQ(PulseTimingOf(kModeInternal, 100, 100), (PulseTiming{4950, 50}));
    EXPECT_EQ(PulseTimingOf(kModeInternal, 100, 250), (PulseTiming{4950, 50}))
        << "a width past the period would wrap the low time";
    EXPECT_EQ(PulseTimingOf(kModeInternal, 1'000'000, 999'999), (PulseTiming{49'999'950, 50}));
    EXPECT_EQ(PulseTimingOf(kModeInternal, 10, 9), (PulseTiming{450, 50}));
    EXPECT_EQ(PulseTimingOf(kModeInternal, 0, 0), (PulseTiming{50, 50}));
    for (std::uint32_t mode :
         {kModeStartStop, kModeRateSwitch, kModeBurstSingle, kModeBurstRetriggered}) {
        EXPECT_EQ(PulseTimingOf(mode, 100, 40), (PulseTiming{2000, 3000})) << "mode " << mode;
    }
}

TEST(DeviceUnits, ExternalClockCyclesBecomeTwoTransitionsEach) {
    EXPECT_EQ(PulseTimingOf(kModeExternal, 10, 4), (PulseTiming{8, 12}));
    EXPECT_EQ(PulseTimingOf(kModeExternal, 10, 10), (PulseTiming{18, 2}));
    EXPECT_EQ(PulseTimingOf(kModeExternal, 10, 15), (PulseTiming{18, 2}));
    EXPECT_EQ(PulseTimingOf(kModeExternal, 10, 0), (PulseTiming{2, 18}))
        << "a high time of 0 would be refused by the library";
    EXPECT_EQ(PulseTimingOf(kModeExternal, 1, 1), (PulseTiming{1, 1}));
    EXPECT_EQ(PulseTimingOf(kModeExternal, 0, 5), (PulseTiming{1, 1}));
    EXPECT_EQ(PulseTimingOf(kModeExternal, 2, 1), (PulseTiming{2, 2}));
    EXPECT_EQ(PulseTimingOf(kModeExternal, 1'000'000, 500'000),
              (PulseTiming{1'000'000, 1'000'000}));
}

TEST(DeviceUnits, DelaysInTenthsOfAMicrosecondOrInCycles) {
    EXPECT_EQ(DelayOf(kModeInternal, 25), 125u) << "2.5 µs";
    EXPECT_EQ(DelayOf(kModeBurstRetriggered, 0), 0u);
    EXPECT_EQ(DelayOf(kModeStartStop, 99'999'999), 499'999'995u);
    EXPECT_EQ(DelayOf(kModeExternal, 25), 50u) << "25 cycles are 50 transitions";
    EXPECT_EQ(DelayOf(kModeExternal, 99'999'999), 199'999'998u);
}

TEST(DeviceUnits, BothBurstModesAreLibraryModeFourToldApartByRetrigger) {
    for (std::uint32_t mode = kModeInternal; mode <= kModeBurstSingle; ++mode) {
        EXPECT_EQ(LibraryModeOf(mode), mode);
        EXPECT_EQ(RetriggerOf(mode), 0u);
    }
    EXPECT_EQ(LibraryModeOf(kModeBurstRetriggered), 4u);
    EXPECT_EQ(RetriggerOf(kModeBurstRetriggered), 1u);
}

}  // namespace
}  // namespace zo::quintel

#include "app/core/string_table.h"

#include <utility>

#include "app/core/string_ids.h"

namespace zo::quintel {
namespace {

StringTable& languageStrings() {
    static StringTable table;
    return table;
}

}  // namespace

const StringTable& EnglishStrings() {
    static const StringTable table = {
        {ids::kAppTitle, "Kestrava Quintel Signal Generator"},
        {ids::kMenuAbout, "About Kestrava Quintel..."},
        {ids::kMenuLanguage, "Language..."},
        {ids::kMenuHelp, "Help"},
        {ids::kMenuManual, "User Manual"},

        {ids::kGate, "Gate"},
        {ids::kTrigger, "Trigger"},
        {ids::kSourceNone, "None"},
        {ids::kExternalA, "External A"},
        {ids::kExternalB, "External B"},
        {ids::kChannelNumber, "Channel %d"},

        {ids::kModeInternal, "Internal"},
        {ids::kModeExternal, "External"},
        {ids::kModeStartStop, "Start/Stop"},
        {ids::kModeRateSwitch, "Rate Switch"},
        {ids::kModeBurstSingle, "Burst Single"},
        {ids::kModeBurstRetriggered, "Burst Retriggered"},

        {ids::kAboutVersion, "Version"},
        {ids::kAboutPlatform, "Platform"},

        {ids::kDelayMicroseconds, "Delay [µs]"},
        {ids::kDelayClockCycles, "Delay [cks]"},

        {ids::kFrequency, "Frequency [Hz]"},
        {ids::kPeriod, "Period [µs]"},
        {ids::kPeriodClockCycles, "Period [cks]"},
        {ids::kFrequency1, "Frequency 1 [Hz]"},
        {ids::kPeriod1, "Period 1 [µs]"},
        {ids::kFrequency2, "Frequency 2 [Hz]"},
        {ids::kPeriod2, "Period 2 [µs]"},
        {ids::kWidth, "Width [µs]"},
        {ids::kDutyCycle, "Duty Cycle [‰]"},
        {ids::kWidth1, "Width 1 [µs]"},
        {ids::kDutyCycle1, "Duty Cycle 1 [‰]"},
        {ids::kWidth2, "Width 2 [µs]"},
        {ids::kDutyCycle2, "Duty Cycle 2 [‰]"},
        {ids::kNumberOfPulses, "Number of Pulses"},

        {ids::kTimeAxis, "Time [ms]"},

        {ids::kButtonOk, "OK"},
        {ids::kButtonCancel, "Cancel"},
        {ids::kButtonYes, "Yes"},
        {ids::kButtonNo, "No"},

        {ids::kConfirmQuit, "Are you sure you want to quit the application?"},
        {ids::kRestartForLanguage, "Restart the program to change language."},
        {ids::kFullSpeedPort,
         "This device can perform faster if you connect it to a Hi-Speed USB 2.0 port."},

        {ids::kAppName, "Kestrava Quintel"},

        {ids::kMainCaption, "Kestrava Quintel Signal Generator"},
        {ids::kMainCurrentChannel, "Current channel"},
        {ids::kMainLabel, "Label"},
        {ids::kMainMode, "Mode"},
        {ids::kMainInvert, "Invert"},
        {ids::kMainExternalIn, "External In"},
        {ids::kMainReset, "Reset"},
        {ids::kMainExternalFrequencyA, "External Frequency A"},
        {ids::kMainExternalFrequencyB, "External Frequency B"},
        {ids::kMainLock, "Lock"},
        {ids::kMainTimeBase, "Time Base [µs]:"},
        {ids::kMainAutoTimeBase, "Auto."},

        {ids::kAboutCaption, "About Kestrava Quintel..."},
        {ids::kAboutTitle, "Kestrava Quintel - Signal Generator"},
        {ids::kAboutCopyright, "Copyright © %d Valdra, Inc.\nAll rights reserved."},
        {ids::kAboutWebAddress, "https://www.valdra.example"},
        {ids::kAboutNotice1,
         "The Kestrava Quintel software and its documentation are the property of Valdra, Inc. "
         "and are protected by copyright."},
        {ids::kAboutNotice2,
         "Copying or distributing this program, in whole or in part, without the written "
         "permission of Valdra, Inc. is prohibited and may lead to civil and criminal "
         "prosecution."},

        {ids::kLanguageCaption, "Language"},
        {ids::kLanguagePrompt, "Select the language from the list below:"},
    };
    return table;
}

std::string ResourceString(std::uint32_t id) {
    if (auto found = languageStrings().find(id); found != languageStrings().end()) {
        return found->second;
    }
    if (auto found = EnglishStrings().find(id); found != EnglishStrings().end()) {
        return found->second;
    }
    return {};
}

void InstallLanguageStrings(StringTable table) {
    languageStrings() = std::move(table);
}

}  // namespace zo::quintel

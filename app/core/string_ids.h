#pragma once
// Resource ids of every text the program shows. The ids below 1000 and 57344 are the string table
// of the program; the texts of a dialog template have the ids template × 100 + n, with n = 0 for
// the dialog's caption, so that a language translates its dialogs through the same keyed table.
// A text with a %d placeholder is formatted with FormatInteger (text_format.h).

#include <cstdint>

namespace zo::quintel::ids {

// Captions and menus.
inline constexpr std::uint32_t kAppTitle = 1;  // caption of every message box
inline constexpr std::uint32_t kMenuAbout = 5;
inline constexpr std::uint32_t kMenuLanguage = 6;
inline constexpr std::uint32_t kMenuHelp = 7;
inline constexpr std::uint32_t kMenuManual = 8;

// Gate and trigger sources, the channel list.
inline constexpr std::uint32_t kGate = 11;
inline constexpr std::uint32_t kTrigger = 12;
inline constexpr std::uint32_t kSourceNone = 13;
inline constexpr std::uint32_t kExternalA = 14;
inline constexpr std::uint32_t kExternalB = 15;
inline constexpr std::uint32_t kChannelNumber = 16;  // "Channel %d"

// Program modes 0..5: kModeFirst + mode.
inline constexpr std::uint32_t kModeFirst = 20;
inline constexpr std::uint32_t kModeInternal = 20;
inline constexpr std::uint32_t kModeExternal = 21;
inline constexpr std::uint32_t kModeStartStop = 22;
inline constexpr std::uint32_t kModeRateSwitch = 23;
inline constexpr std::uint32_t kModeBurstSingle = 24;
inline constexpr std::uint32_t kModeBurstRetriggered = 25;

// The About dialog's information list.
inline constexpr std::uint32_t kAboutVersion = 32;
inline constexpr std::uint32_t kAboutPlatform = 34;

// Delay row label.
inline constexpr std::uint32_t kDelayMicroseconds = 44;
inline constexpr std::uint32_t kDelayClockCycles = 45;

// Unit lists of the value rows.
inline constexpr std::uint32_t kFrequency = 50;
inline constexpr std::uint32_t kPeriod = 51;
inline constexpr std::uint32_t kPeriodClockCycles = 52;
inline constexpr std::uint32_t kFrequency1 = 53;
inline constexpr std::uint32_t kPeriod1 = 54;
inline constexpr std::uint32_t kFrequency2 = 55;
inline constexpr std::uint32_t kPeriod2 = 56;
inline constexpr std::uint32_t kWidth = 60;
inline constexpr std::uint32_t kDutyCycle = 61;
inline constexpr std::uint32_t kWidth1 = 62;
inline constexpr std::uint32_t kDutyCycle1 = 63;
inline constexpr std::uint32_t kWidth2 = 64;
inline constexpr std::uint32_t kDutyCycle2 = 65;
inline constexpr std::uint32_t kNumberOfPulses = 66;

// The timing diagram's axis.
inline constexpr std::uint32_t kTimeAxis = 70;

// Dialog and message-box buttons.
inline constexpr std::uint32_t kButtonOk = 90;
inline constexpr std::uint32_t kButtonCancel = 91;
inline constexpr std::uint32_t kButtonYes = 92;
inline constexpr std::uint32_t kButtonNo = 93;

// Message-box texts.
inline constexpr std::uint32_t kConfirmQuit = 101;
inline constexpr std::uint32_t kRestartForLanguage = 102;
inline constexpr std::uint32_t kFullSpeedPort = 103;

// The application name, which also names its per-user registry key.
inline constexpr std::uint32_t kAppName = 57344;

// Dialog template 102, the channel editor.
inline constexpr std::uint32_t kMainCaption = 10200;
inline constexpr std::uint32_t kMainCurrentChannel = 10201;
inline constexpr std::uint32_t kMainLabel = 10202;
inline constexpr std::uint32_t kMainMode = 10203;
inline constexpr std::uint32_t kMainInvert = 10204;  // the three "Invert" check boxes
inline constexpr std::uint32_t kMainExternalIn = 10205;
inline constexpr std::uint32_t kMainReset = 10206;
inline constexpr std::uint32_t kMainExternalFrequencyA = 10207;
inline constexpr std::uint32_t kMainExternalFrequencyB = 10208;
inline constexpr std::uint32_t kMainLock = 10209;
inline constexpr std::uint32_t kMainTimeBase = 10210;
inline constexpr std::uint32_t kMainAutoTimeBase = 10211;

// Dialog template 138, About.
inline constexpr std::uint32_t kAboutCaption = 13800;
inline constexpr std::uint32_t kAboutTitle = 13801;
inline constexpr std::uint32_t kAboutCopyright = 13802;  // two lines, the year as %d
inline constexpr std::uint32_t kAboutWebAddress = 13803;
inline constexpr std::uint32_t kAboutNotice1 = 13804;
inline constexpr std::uint32_t kAboutNotice2 = 13805;

// Dialog template 154, the language selection.
inline constexpr std::uint32_t kLanguageCaption = 15400;
inline constexpr std::uint32_t kLanguagePrompt = 15401;

}  // namespace zo::quintel::ids

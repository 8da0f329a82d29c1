#pragma once
// The controls of the channel editor dialog by their ids. The editor addresses every control by
// its id; the window layer finds its widget under the same id (its object name is the id).

namespace zo::quintel::ctl {

// The channel and its mode.
inline constexpr int kChannelList = 1021;
inline constexpr int kLabelEdit = 1024;
inline constexpr int kModeList = 1011;
inline constexpr int kInvertCheck = 1022;

// The external clock of the "External" mode.
inline constexpr int kExternalInCaption = 1025;
inline constexpr int kExternalSourceList = 1019;
inline constexpr int kExternalInvertCheck = 1016;

// The gate or trigger source.
inline constexpr int kGateCaption = 1023;
inline constexpr int kGateSourceList = 1020;
inline constexpr int kGateInvertCheck = 1017;

// The unit lists of the value rows.
inline constexpr int kRate1UnitList = 1029;
inline constexpr int kWidth1UnitList = 1028;
inline constexpr int kRate2UnitList = 1038;
inline constexpr int kWidth2UnitList = 1027;

// The delay row's caption, its decimal point and its reset button.
inline constexpr int kDelayCaption = 1159;
inline constexpr int kDelayPoint = 1443;
inline constexpr int kDelayReset = 1180;

// Measurement of the external inputs: check box and read-out.
inline constexpr int kMeasureACheck = 1014;
inline constexpr int kMeasureBCheck = 1015;
inline constexpr int kFrequencyADisplay = 1012;
inline constexpr int kFrequencyBDisplay = 1013;

// Output button 1030 + k and lock check box 1050 + k of channel k; the lock column's caption.
inline constexpr int kFirstOutputButton = 1030;
inline constexpr int kFirstLockCheck = 1050;
inline constexpr int kLockCaption = 1441;

constexpr int OutputButton(int channel) {
    return kFirstOutputButton + channel;
}
constexpr int LockCheck(int channel) {
    return kFirstLockCheck + channel;
}

// The timing diagram and its time base.
inline constexpr int kDiagram = 1026;
inline constexpr int kTimeBaseEdit = 1437;
inline constexpr int kAutoTimeBaseCheck = 1438;

}  // namespace zo::quintel::ctl

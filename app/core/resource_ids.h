#pragma once
// Resource ids of the program's dialog templates, icons, bitmaps and cursors. A loaded language
// may carry its own image under the same id.

namespace zo::quintel::res {

// Dialog templates.
inline constexpr int kMainDialog = 102;
inline constexpr int kAboutDialog = 138;
inline constexpr int kLanguageDialog = 154;

// Icons.
inline constexpr int kAppIcon = 128;
inline constexpr int kChannelOffIconFirst = 130;  // 130 + k: channel k switched off
inline constexpr int kChannelOnIconFirst = 143;   // 143 + k: channel k switched on

constexpr int ChannelIcon(int channel, bool on) {
    return (on ? kChannelOnIconFirst : kChannelOffIconFirst) + channel;
}

// Bitmaps.
inline constexpr int kAboutBanner = 139;  // 640 × 64
inline constexpr int kSplash = 152;       // 560 × 420

// Cursors.
inline constexpr int kHandCursor = 140;

}  // namespace zo::quintel::res

// What the editor shows in each mode, and the items of its lists.

#include "app/core/editor/mode_layout.h"

#include <gtest/gtest.h>

#include <span>

#include "app/core/device_config.h"
#include "app/core/editor/editor_lists.h"
#include "app/core/string_ids.h"
#include "app/core/string_table.h"

namespace zo::quintel {
namespace {

std::vector<std::string> texts(const ListItems& items) {
    std::vector<std::string> result;
    for (const ListItem& item : items) {
        result.push_back(item.text);
    }
    return result;
}

std::vector<std::string> texts(std::span<const std::uint32_t> ids) {
    std::vector<std::string> result;
    for (std::uint32_t id : ids) {
        result.push_back(ResourceString(id));
    }
    return result;
}

using Texts = std::vector<std::string>;

TEST(ModeLayout, SourcesAndRowsFollowTheMode) {
    struct Expected {
        std::uint32_t mode;
        bool external, gate, row3, row4, point;
    };
    for (const Expected& e : {Expected{kModeInternal, false, true, false, false, true},
                              Expected{kModeExternal, true, true, false, false, false},
                              Expected{kModeStartStop, false, false, false, false, true},
                              Expected{kModeRateSwitch, false, false, true, true, true},
                              Expected{kModeBurstSingle, false, true, false, true, true},
                              Expected{kModeBurstRetriggered, false, true, false, true, true}}) {
        const ModeLayout layout = ModeLayoutOf(e.mode);
        EXPECT_EQ(layout.externalInShown, e.external) << e.mode;
        EXPECT_EQ(layout.gateShown, e.gate) << e.mode;
        EXPECT_EQ(layout.row3Shown, e.row3) << e.mode;
        EXPECT_EQ(layout.row4Shown, e.row4) << e.mode;
        EXPECT_EQ(layout.delayPointShown, e.point) << e.mode;
        EXPECT_EQ(layout.unitListsEnabled, e.mode != kModeExternal) << e.mode;
        EXPECT_EQ(ResourceString(layout.gateCaption),
                  e.mode >= kModeBurstSingle ? "Trigger" : "Gate");
        EXPECT_EQ(ResourceString(layout.delayCaption),
                  e.mode == kModeExternal ? "Delay [cks]" : "Delay [µs]");
    }
}

TEST(ModeLayout, UnitListsNameTheUnitsOfTheMode) {
    const ModeLayout internal = ModeLayoutOf(kModeInternal);
    EXPECT_EQ(texts(internal.rate1Units), (Texts{"Frequency [Hz]", "Period [µs]"}));
    EXPECT_EQ(texts(internal.width1Units), (Texts{"Width [µs]", "Duty Cycle [‰]"}));
    EXPECT_EQ(texts(internal.row4Units), (Texts{"Width 2 [µs]", "Duty Cycle 2 [‰]"}));

    const ModeLayout external = ModeLayoutOf(kModeExternal);
    EXPECT_EQ(texts(external.rate1Units), (Texts{"Frequency [Hz]", "Period [cks]"}));

    const ModeLayout rateSwitch = ModeLayoutOf(kModeRateSwitch);
    EXPECT_EQ(texts(rateSwitch.rate1Units), (Texts{"Frequency 1 [Hz]", "Period 1 [µs]"}));
    EXPECT_EQ(texts(rateSwitch.width1Units), (Texts{"Width 1 [µs]", "Duty Cycle 1 [‰]"}));

    EXPECT_EQ(texts(ModeLayoutOf(kModeBurstRetriggered).row4Units), (Texts{"Number of Pulses"}));
}

TEST(EditorLists, TheGateListOffersEveryOtherChannel) {
    const ListItems items = GateSourceItems(2);
    EXPECT_EQ(texts(items),
              (Texts{"None", "External A", "External B", "Channel 0", "Channel 1", "Channel 3",
                     "Channel 4", "Channel 5", "Channel 6", "Channel 7"}));
    std::vector<std::uint32_t> data;
    for (const ListItem& item : items) {
        data.push_back(item.data);
    }
    EXPECT_EQ(data, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 6, 7, 8, 9, 10}));
    EXPECT_EQ(IndexOfData(items, 6), 5);
    EXPECT_EQ(IndexOfData(items, 5), 0) << "the channel itself is not offered: the first item";
}

TEST(EditorLists, FixedListsCarryTheirValuesAsItemData) {
    EXPECT_EQ(texts(ModeItems()), (Texts{"Internal", "External", "Start/Stop", "Rate Switch",
                                         "Burst Single", "Burst Retriggered"}));
    EXPECT_EQ(ChannelItems().back(), (ListItem{"Channel 7", 7}));
    EXPECT_EQ(ExternalSourceItems(), (ListItems{{"External A", 1}, {"External B", 2}}));
}

}  // namespace
}  // namespace zo::quintel

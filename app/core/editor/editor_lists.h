#pragma once
// The items of the channel editor's drop-down lists, in the current language: the text shown and
// the value an item stands for (its item data).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zo::quintel {

struct ListItem {
    std::string text;
    std::uint32_t data;

    bool operator==(const ListItem&) const = default;
};

using ListItems = std::vector<ListItem>;

// "Channel 0" … "Channel 7", data the channel.
ListItems ChannelItems();
// The program modes in order, data the mode.
ListItems ModeItems();
// The clock inputs of the "External" mode: "External A" (1) and "External B" (2).
ListItems ExternalSourceItems();
// What may gate or trigger `channel`: "None" (0), "External A" (1), "External B" (2), then every
// other channel k in ascending order as "Channel k" (3 + k).
ListItems GateSourceItems(std::size_t channel);
// Texts by string id, data the item index.
ListItems UnitItems(std::span<const std::uint32_t> stringIds);

// The index of the first item with `data`; 0 (the first item) when none has it.
int IndexOfData(const ListItems& items, std::uint32_t data);

}  // namespace zo::quintel

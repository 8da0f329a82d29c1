#include "app/core/editor/editor_lists.h"

#include "app/core/device_config.h"
#include "app/core/string_ids.h"
#include "app/core/string_table.h"
#include "app/core/text_format.h"

namespace zo::quintel {
namespace {

constexpr std::uint32_t kFirstChannelSource = 3;

std::string ChannelName(std::size_t channel) {
    return FormatInteger(ResourceString(ids::kChannelNumber), static_cast<long long>(channel));
}

}  // namespace

ListItems ChannelItems() {
    ListItems items;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        items.push_back({ChannelName(k), static_cast<std::uint32_t>(k)});
    }
    return items;
}

ListItems ModeItems() {
    ListItems items;
    for (std::uint32_t mode = 0; mode <= kLastProgramMode; ++mode) {
        items.push_back({ResourceString(ids::kModeFirst + mode), mode});
    }
    return items;
}

ListItems ExternalSourceItems() {
    return {{ResourceString(ids::kExternalA), 1}, {ResourceString(ids::kExternalB), 2}};
}

ListItems GateSourceItems(std::size_t channel) {
    ListItems items = {{ResourceString(ids::kSourceNone), 0}};
    for (const ListItem& input : ExternalSourceItems()) {
        items.push_back(input);
    }
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (k != channel) {
            items.push_back({ChannelName(k), kFirstChannelSource + static_cast<std::uint32_t>(k)});
        }
    }
    return items;
}

ListItems UnitItems(std::span<const std::uint32_t> stringIds) {
    ListItems items;
    for (std::uint32_t id : stringIds) {
        items.push_back({ResourceString(id), static_cast<std::uint32_t>(items.size())});
    }
    return items;
}

int IndexOfData(const ListItems& items, std::uint32_t data) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].data == data) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

}  // namespace zo::quintel

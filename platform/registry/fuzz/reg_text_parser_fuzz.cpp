// libFuzzer entry for the .reg parser: any input must be refused cleanly or read into keys whose
// written form reads back to the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry/reg_text_parser.h"
#include "platform/registry/reg_text_writer.h"

using namespace zo::platform::registry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto document = parseRegText(text);
    if (!document.ok()) {
        return 0;
    }
    KeyNode parsed;
    for (const auto& block : document.value().blocks) {
        applyKeyBlock(parsed, block.path, block);
    }
    for (const auto& [rootName, subtree] : parsed.subkeys) {
        const auto written = writeRegText(*subtree, rootName);
        if (!parseRegText(written).ok()) {
            std::abort();
        }
    }
    return 0;
}

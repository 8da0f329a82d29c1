#pragma once
// The operands and options of the commands that operate a device through the library (set,
// outputs, measure, capture and disassemble), of record, which watches a hub, and of the driver's
// isochronous reads iso-read and stream.

#include <span>
#include <string>
#include <string_view>

#include "tools/zousbdiag/command_line.h"

namespace zousbdiag {

// Reads what follows the device identifier (the hub instance for iso-read and stream) into
// `command`; answers the complaint, or empty.
std::string parseOperationArguments(std::string_view name, std::span<const std::string_view> rest,
                                    Command& command);

}  // namespace zousbdiag

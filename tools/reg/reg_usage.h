#pragma once
// The usage texts of reg (reg /?) and of each operation (reg query /? ...). The general one also
// says where the hive files are, as the environment places them now.

#include <optional>
#include <string>

#include "tools/reg/reg_arguments.h"

namespace zo::tools::reg {

// reg /? for none, else reg OPERATION /?.
std::string usageText(std::optional<Operation> operation);

// `Type "REG QUERY /?" for usage.`
std::string usageHint(std::optional<Operation> operation);

}  // namespace zo::tools::reg
